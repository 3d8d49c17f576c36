// UUIDMultiMap's operations, re-keying its entries, and its behaviour in transactions, checked
// against a std::multimap holding the same pairs.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <map>
#include <random>
#include <vector>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using korm::zero::Model;
using Reference = std::multimap<int, int>;

/// The multimap's pairs as "key:value" by last bytes, in collection order; checks on the way
/// that each node's entry is valid, keyed as filed and contained by the multimap.
std::string pairsOf(UUIDMultiMap const& map) {
    std::string out;
    for (auto const& [key, entry] : UUIDMultiMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_TRUE(entry && entry->getKey() == key && entry->basicContainer() == map.getImpl());
        out +=
            std::to_string(key.data[15]) + ":" + std::to_string(entry->getValue().data[15]) + " ";
    }
    return out;
}

std::string pairsOf(Reference const& reference) {
    std::string out;
    for (auto const& [k, v] : reference) {
        out += std::to_string(k) + ":" + std::to_string(v) + " ";
    }
    return out;
}

std::vector<boost::uuids::uuid> ids(std::vector<int> const& numbers) {
    std::vector<boost::uuids::uuid> out;
    for (int n : numbers) {
        out.push_back(id(static_cast<std::uint8_t>(n)));
    }
    return out;
}

class UUIDMultiMapTest : public ::testing::Test {
  protected:
    UUIDMultiMap mapWith(Reference const& pairs) {
        UUIDMultiMap const map = UUIDMultiMap::create(model);
        for (auto const& [k, v] : pairs) {
            map->insertPair(id(k), id(v));
        }
        return map;
    }
    UUIDMapEntry nth(UUIDMultiMap const& map, std::size_t n) {
        return std::next(UUIDMultiMap::Impl::entriesOf(map->peekPairs()).begin(), n)->second;
    }

    Model model = Model::create();
};

TEST_F(UUIDMultiMapTest, KeepsKeysAscendingAndValuesInFilingOrder) {
    UUIDMultiMap const map = UUIDMultiMap::create(model);
    for (auto [k, v] : std::vector<std::pair<int, int>>{{5, 1}, {2, 9}, {5, 2}, {3, 0}, {5, 1}}) {
        map->insertPair(id(k), id(v));
    }
    EXPECT_EQ(pairsOf(map), "2:9 3:0 5:1 5:2 5:1 ");
    EXPECT_EQ(map->findValuesForKey(id(5)), ids({1, 2, 1}));
    EXPECT_TRUE(map->hasKey(id(3)));
    EXPECT_FALSE(map->hasKey(id(4)));
    EXPECT_TRUE(map->findValuesForKey(id(4)).empty());
}

TEST_F(UUIDMultiMapTest, ErasingRemovesExactlyTheMatchingPairs) {
    struct Case {
        char const* name;
        std::function<void(UUIDMultiMap::Impl&)> erase;
        char const* after;
    };
    std::vector<Case> const cases = {
        {"first match only", [](auto& m) { m.erasePairsKeyAndValue(id(1), id(7)); },
         "1:8 1:7 2:7 3:8 "},
        {"absent pair", [](auto& m) { m.erasePairsKeyAndValue(id(2), id(8)); },
         "1:7 1:8 1:7 2:7 3:8 "},
        {"key", [](auto& m) { m.erasePairsForKey(id(1)); }, "2:7 3:8 "},
        {"absent key", [](auto& m) { m.erasePairsForKey(id(9)); }, "1:7 1:8 1:7 2:7 3:8 "},
        {"value across keys", [](auto& m) { m.erasePairsForValue(id(7)); }, "1:8 3:8 "},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        UUIDMultiMap const map = mapWith({{1, 7}, {1, 8}, {1, 7}, {2, 7}, {3, 8}});
        std::size_t const elements = model->getElementCount();
        std::size_t const steps = model->getUndoCount();
        c.erase(*map);
        EXPECT_EQ(pairsOf(map), c.after);
        // The erased entries are destroyed, all in one undo step.
        std::size_t const left = UUIDMultiMap::Impl::entriesOf(map->peekPairs()).size();
        EXPECT_EQ(model->getElementCount(), elements - (5 - left));
        EXPECT_EQ(model->getUndoCount(), steps + (left < 5 ? 1 : 0));
    }
}

TEST_F(UUIDMultiMapTest, SetKeyJoinsTheEndOfTheNewKeysGroup) {
    UUIDMultiMap const map = mapWith({{1, 10}, {2, 20}, {2, 21}});
    nth(map, 0)->setKey(id(2));  // never a uniqueness conflict in a multimap
    EXPECT_EQ(pairsOf(map), "2:20 2:21 2:10 ");
    nth(map, 1)->setKey(id(1));
    EXPECT_EQ(pairsOf(map), "1:21 2:20 2:10 ");
}

TEST_F(UUIDMultiMapTest, AProxyMultimapRefusesEveryOperation) {
    UUIDMultiMap const target = mapWith({{1, 10}});
    UUIDMultiMap const proxy = korm::zero::createProxy<UUIDMultiMap>(
        model, korm::zero::ProxyId::forElement(target->getUuid(), boost::uuids::nil_uuid()));
    std::vector<std::function<void()>> const operations = {
        [&] { proxy->erasePairsForKey(id(1)); },
        [&] { proxy->erasePairsKeyAndValue(id(1), id(10)); },
        [&] { proxy->erasePairsForValue(id(10)); },
        [&] { proxy->findValuesForKey(id(1)); },
        [&] { proxy->hasKey(id(1)); },
    };
    for (auto const& operation : operations) {
        EXPECT_THROW(operation(), Exception<messages::CannotModifyProxy>);
    }
    std::size_t const elements = model->getElementCount();
    {
        auto transaction = model.beginTransaction();
        EXPECT_THROW(proxy->insertPair(id(2), id(3)), Exception<messages::CannotModifyProxy>);
        EXPECT_EQ(model->getElementCount(), elements + 1);  // the new entry, not contained
    }
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_EQ(pairsOf(target), "1:10 ");
}

// Random operations in transactions that are committed, rolled back, undone, or undone and
// redone, compared after every step with a std::multimap. Few keys and values, so that groups
// and repeated pairs are common.
TEST_F(UUIDMultiMapTest, RandomOperationsInTransactionsMatchAStdMultimap) {
    std::mt19937 random(20261206);
    auto const pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // Inserting, erasing the first matching pair, re-keying, erasing a key, erasing a value.
    std::discrete_distribution<int> operation({4, 2, 2, 1, 1});
    UUIDMultiMap const map = UUIDMultiMap::create(model);
    Reference expected;
    for (int round = 0; round < 150; ++round) {
        Reference working = expected;
        std::size_t const steps = model->getUndoCount();
        auto transaction = model.beginTransaction();
        for (int n = 1 + pick(5); n > 0; --n) {
            int const k = 1 + pick(4), v = 1 + pick(3);
            int const chosen = operation(random);
            switch (chosen == 2 && working.empty() ? 0 : chosen) {
                case 0:
                    map->insertPair(id(k), id(v));
                    working.emplace(k, v);
                    break;
                case 1: {
                    map->erasePairsKeyAndValue(id(k), id(v));
                    auto [it, last] = working.equal_range(k);
                    while (it != last && it->second != v) {
                        ++it;
                    }
                    if (it != last) {
                        working.erase(it);
                    }
                    break;
                }
                case 2: {
                    std::size_t const at =
                        static_cast<std::size_t>(pick(static_cast<int>(working.size())));
                    nth(map, at)->setKey(id(k));
                    auto const moved = std::next(working.begin(), at);
                    if (moved->first != k) {  // the same key again leaves the entry in place
                        int const value = moved->second;
                        working.erase(moved);
                        working.emplace(k, value);
                    }
                    break;
                }
                case 3:
                    map->erasePairsForKey(id(k));
                    working.erase(k);
                    break;
                default:
                    map->erasePairsForValue(id(v));
                    std::erase_if(working, [&](auto const& pair) { return pair.second == v; });
            }
            ASSERT_EQ(pairsOf(map), pairsOf(working)) << "round " << round;
            std::vector<int> values;
            for (auto [it, last] = working.equal_range(k); it != last; ++it) {
                values.push_back(it->second);
            }
            ASSERT_EQ(map->findValuesForKey(id(k)), ids(values));
            ASSERT_EQ(map->hasKey(id(k)), working.count(k) != 0);
        }
        int const ending = pick(4);  // commit, roll back, undo, undo and redo
        if (ending == 1) {
            transaction = {};
        } else {
            transaction.commit();
            if (ending >= 2 && model->getUndoCount() > steps) {
                model.undo();
                ASSERT_EQ(pairsOf(map), pairsOf(expected)) << "undo, round " << round;
                if (ending == 2) {
                    working = expected;
                } else {
                    model.redo();
                }
            }
            expected = working;
        }
        ASSERT_EQ(pairsOf(map), pairsOf(expected)) << "round " << round;
    }
}

}  // namespace
}  // namespace arvex::utilities::test
