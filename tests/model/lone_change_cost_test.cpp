// What a lone change of a large map costs, counted in tree nodes: each call its own
// transaction, its old pairs saved for undo, its step undone, redone and dropped. The counts
// must follow the height of the tree, never its size (a copy of the map would show up as
// thousands of nodes).

#include <gtest/gtest.h>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <random>
#include <type_traits>
#include <vector>

#include "arvex/utilities/collections/persistent_btree_node.hpp"
#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::uuid;
using collections::persistentTreeCounters;
using korm::zero::Model;

constexpr int kPairs = 20000;

std::vector<uuid> randomKeys(int count, unsigned seed) {
    std::mt19937 engine(seed);
    boost::uuids::basic_random_generator<std::mt19937> generate(engine);
    std::vector<uuid> keys(static_cast<std::size_t>(count));
    for (auto& key : keys) {
        key = generate();
    }
    return keys;
}

/// A map (or multimap) of kPairs random pairs, filled in one transaction, without history.
template <class Map>
class LoneChangeCostTest : public ::testing::Test {
  protected:
    LoneChangeCostTest() {
        auto transaction = model.beginTransaction();
        for (auto const& key : keys) {
            map->insertPair(key, key);
        }
        transaction.commit();
        model->clearUndoHistory();
    }

    std::size_t height() const { return Map::Impl::entriesOf(map->peekPairs()).height(); }
    std::size_t size() const { return Map::Impl::entriesOf(map->peekPairs()).size(); }

    /// Runs `call` with the node counters reset; answers what it did to the trees.
    template <class Call>
    collections::PersistentTreeCounters counted(Call call) {
        persistentTreeCounters() = {};
        call();
        return persistentTreeCounters();
    }

    Model model = Model::create();
    Map map = Map::create(model);
    std::vector<uuid> const keys = randomKeys(kPairs, 1);
};

using Maps = ::testing::Types<UUIDMap, UUIDMultiMap>;
TYPED_TEST_SUITE(LoneChangeCostTest, Maps);

template <class Map>
void eraseKey(Map const& map, uuid const& key) {
    if constexpr (std::is_same_v<Map, UUIDMap>) {
        map->erasePairForKey(key);
    } else {
        map->erasePairsForKey(key);
    }
}

TYPED_TEST(LoneChangeCostTest, EachLoneChangeCopiesAPathAndItsStepKeepsOnlyThat) {
    ASSERT_GE(this->height(), 3U);
    auto const fresh = randomKeys(50, 2);
    std::uint64_t kept = 0;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        std::size_t const h = this->height();
        auto const inserted = this->counted([&] { this->map->insertPair(fresh[i], fresh[i]); });
        EXPECT_EQ(inserted.copied, h) << "a lone insert copies the path it changes";
        EXPECT_LE(inserted.allocated, 2 * h + 1);
        auto const erased = this->counted([&] { eraseKey(this->map, this->keys[i * 7]); });
        EXPECT_LE(erased.copied, 2 * h) << "the path and at most a sibling a level";
        kept += inserted.allocated + erased.allocated;
    }
    EXPECT_EQ(this->size(), static_cast<std::size_t>(kPairs));

    // Undo and redo hand whole versions back and forth: nothing is copied.
    auto const undone = this->counted([&] {
        for (std::size_t i = 0; i < 2 * fresh.size(); ++i) {
            ASSERT_TRUE(this->model->canUndo());
            this->model.undo();
        }
    });
    EXPECT_EQ(undone.copied, 0U);
    EXPECT_FALSE(this->map->hasKey(fresh[0]));
    EXPECT_TRUE(this->map->hasKey(this->keys[0]));
    auto const redone = this->counted([&] {
        for (std::size_t i = 0; i < 2 * fresh.size(); ++i) {
            this->model.redo();
        }
    });
    EXPECT_EQ(redone.copied, 0U);
    EXPECT_TRUE(this->map->hasKey(fresh.back()));

    // Dropping the history frees the nodes the steps alone held, not the map's.
    auto const dropped = this->counted([&] { this->model->clearUndoHistory(); });
    EXPECT_LE(dropped.freed, kept);
    EXPECT_GT(dropped.freed, 0U);
    EXPECT_EQ(this->size(), static_cast<std::size_t>(kPairs));
}

TYPED_TEST(LoneChangeCostTest, ARolledBackChangeLeavesTheSharedTreeAsItWas) {
    auto const fresh = randomKeys(3, 3);
    {
        auto transaction = this->model.beginTransaction();
        for (auto const& key : fresh) {
            this->map->insertPair(key, key);
        }
        eraseKey(this->map, this->keys[5]);
        EXPECT_EQ(this->size(), static_cast<std::size_t>(kPairs + 2));
    }
    EXPECT_EQ(this->size(), static_cast<std::size_t>(kPairs));
    EXPECT_TRUE(this->map->hasKey(this->keys[5]));
    for (auto const& key : fresh) {
        EXPECT_FALSE(this->map->hasKey(key));
    }
    std::size_t filed = 0;
    for (auto const& [key, entry] : TypeParam::Impl::entriesOf(this->map->peekPairs())) {
        EXPECT_EQ(entry->getKey(), key);
        EXPECT_EQ(entry->basicContainer(), this->map.getImpl());
        ++filed;
    }
    EXPECT_EQ(filed, static_cast<std::size_t>(kPairs));
}

}  // namespace
}  // namespace arvex::utilities::test
