// UUIDMultiMap's operations, re-keying its entries, and its behaviour in transactions, checked
// against a std::multimap holding the same pairs.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <vector>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using Reference = std::multimap<int, int>;

/// The pairs as "key:value" by last bytes, in collection order; checks on the way that each
/// entry is valid, keyed as filed and contained by the multimap.
std::string text(UUIDMultiMap const& map) {
    std::vector<std::pair<int, int>> pairs;
    for (auto const& [key, entry] : UUIDMultiMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_TRUE(entry && entry->getKey() == key && entry->basicContainer() == map.getImpl());
        pairs.emplace_back(key.data[15], entry->getValue().data[15]);
    }
    return testing::PrintToString(pairs);
}
std::string text(Reference const& pairs) {
    return testing::PrintToString(std::vector(pairs.begin(), pairs.end()));
}

class UUIDMultiMapTest : public ::testing::Test {
  protected:
    UUIDMultiMap mapWith(std::vector<std::pair<int, int>> const& pairs) {
        UUIDMultiMap const map = UUIDMultiMap::create(model);
        for (auto const& [k, v] : pairs) {
            map->insertPair(id(k), id(v));
        }
        return map;
    }
    UUIDMapEntry nth(UUIDMultiMap const& map, std::size_t n) {
        return std::next(UUIDMultiMap::Impl::entriesOf(map->peekPairs()).begin(), n)->second;
    }

    korm::zero::Model model = korm::zero::Model::create();
};

TEST_F(UUIDMultiMapTest, FilesInOrderAndErasesExactlyTheMatchingPairs) {
    auto const start = std::vector<std::pair<int, int>>{{5, 1}, {2, 1}, {5, 2}, {3, 2}, {5, 1}};
    UUIDMultiMap const map = mapWith(start);
    EXPECT_EQ(text(map), text(Reference{{2, 1}, {3, 2}, {5, 1}, {5, 2}, {5, 1}}));
    EXPECT_EQ(map->findValuesForKey(id(5)), (std::vector{id(1), id(2), id(1)}));

    std::vector<std::pair<std::function<void(UUIDMultiMap::Impl&)>, Reference>> const cases = {
        {[](auto& m) { m.erasePairsKeyAndValue(id(5), id(1)); }, {{2, 1}, {3, 2}, {5, 2}, {5, 1}}},
        {[](auto& m) { m.erasePairsForKey(id(5)); }, {{2, 1}, {3, 2}}},
        {[](auto& m) { m.erasePairsForValue(id(1)); }, {{3, 2}, {5, 2}}},
    };
    for (auto const& [erase, after] : cases) {
        UUIDMultiMap const fresh = mapWith(start);
        std::size_t const elements = model->getElementCount();
        std::size_t const steps = model->getUndoCount();
        erase(*fresh);
        EXPECT_EQ(text(fresh), text(after));
        // The erased entries are destroyed, all in one undo step.
        EXPECT_EQ(model->getElementCount(), elements - (start.size() - after.size()));
        EXPECT_EQ(model->getUndoCount(), steps + 1);
    }
}

// Random operations in transactions that are committed, rolled back, undone, or undone and
// redone, compared after every step with a std::multimap: erasing absent pairs, and setKey
// joining the end of its new key's group (never a uniqueness conflict), come up too. Few keys
// and values, and inserts weighted up, so that groups with repeated pairs are common.
TEST_F(UUIDMultiMapTest, RandomOperationsInTransactionsMatchAStdMultimap) {
    std::mt19937 random(20261206);
    auto const pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // insertPair, erasePairsKeyAndValue, setKey, erasePairsForKey, erasePairsForValue
    std::discrete_distribution<int> operation({4, 2, 2, 1, 1});
    UUIDMultiMap const map = UUIDMultiMap::create(model);
    Reference expected;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        Reference working = expected;
        std::size_t const steps = model->getUndoCount();
        auto transaction = model.beginTransaction();
        for (int n = 1 + pick(5); n > 0; --n) {
            int const k = 1 + pick(4), v = 1 + pick(3), chosen = operation(random);
            switch (chosen == 2 && working.empty() ? 0 : chosen) {
                case 0:
                    map->insertPair(id(k), id(v));
                    working.emplace(k, v);
                    break;
                case 1: {
                    map->erasePairsKeyAndValue(id(k), id(v));
                    auto const [first, last] = working.equal_range(k);
                    auto const hit =
                        std::find_if(first, last, [&](auto& p) { return p.second == v; });
                    if (hit != last) {
                        working.erase(hit);
                    }
                    break;
                }
                case 2: {
                    auto const at =
                        static_cast<std::size_t>(pick(static_cast<int>(working.size())));
                    nth(map, at)->setKey(id(k));
                    auto const moved = std::next(working.begin(), at);
                    if (moved->first != k) {  // the same key again leaves the entry in place
                        working.emplace(k, moved->second);
                        working.erase(moved);
                    }
                    break;
                }
                case 3:
                    map->erasePairsForKey(id(k));
                    working.erase(k);
                    break;
                default:
                    map->erasePairsForValue(id(v));
                    std::erase_if(working, [&](auto const& p) { return p.second == v; });
            }
            ASSERT_EQ(text(map), text(working));
            std::vector<boost::uuids::uuid> values;
            std::transform(working.lower_bound(k), working.upper_bound(k),
                           std::back_inserter(values), [](auto& p) { return id(p.second); });
            ASSERT_EQ(map->findValuesForKey(id(k)), values);
            ASSERT_EQ(map->hasKey(id(k)), !values.empty());
        }
        int const ending = pick(4);  // commit, roll back, undo, undo and redo
        if (ending != 1) {
            transaction.commit();
            if (ending >= 2 && model->getUndoCount() > steps) {
                model.undo();
                ASSERT_EQ(text(map), text(expected)) << "undone";
                if (ending == 2) {
                    working = expected;
                } else {
                    model.redo();
                }
            }
            expected = working;
        }
        transaction = {};
        ASSERT_EQ(text(map), text(expected));
    }
}

}  // namespace
}  // namespace arvex::utilities::test
