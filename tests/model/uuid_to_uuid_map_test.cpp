// UUIDToUUIDMap's two-level operations, alone and in transactions, against a map of maps.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::nil_uuid;
using boost::uuids::uuid;
using korm::zero::Model;
using Contents = std::map<uuid, std::map<uuid, uuid>>;

/// The map's contents read through its collections (inner maps of entries without a valid
/// one are shown empty); every entry and inner map is checked to be filed and contained
/// where it belongs.
Contents contentsOf(UUIDToUUIDMap const& map) {
    Contents out;
    for (auto const& [key, entry] : UUIDToUUIDMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_TRUE(entry);
        EXPECT_EQ(entry->getKey(), key);
        EXPECT_EQ(entry->basicContainer(), map.getImpl());
        auto& inner = out[key];
        if (UUIDMap const value = entry->getValue()) {
            EXPECT_EQ(value->basicContainer(), entry.getImpl());
            for (auto const& [subKey, pair] : UUIDMap::Impl::entriesOf(value->peekPairs())) {
                inner[subKey] = pair->getValue();
            }
        }
    }
    return out;
}

/// Contents as "c{s:v s:v} ", keys and values by their last byte.
std::string render(Contents const& contents) {
    std::string out;
    for (auto const& [key, inner] : contents) {
        out += std::to_string(key.data[15]) + "{";
        for (auto const& [subKey, value] : inner) {
            out += std::to_string(subKey.data[15]) + ":" + std::to_string(value.data[15]) + " ";
        }
        out += "} ";
    }
    return out;
}

std::string textOf(UUIDToUUIDMap const& map) {
    return render(contentsOf(map));
}

class UUIDToUUIDMapTest : public ::testing::Test {
  protected:
    /// A map holding the triples (container key, sub key, value) given by their last bytes.
    UUIDToUUIDMap mapWith(std::vector<std::tuple<int, int, int>> const& triples) {
        UUIDToUUIDMap const map = UUIDToUUIDMap::create(model);
        auto transaction = model.beginTransaction();
        for (auto const& [c, s, v] : triples) {
            map->insertPair(id(c), id(s), id(v));
        }
        transaction.commit();
        return map;
    }

    /// Files an entry under `key` that holds no inner map.
    UUIDToUUIDMapEntry fileBareEntry(UUIDToUUIDMap const& map, int key) {
        UUIDToUUIDMapEntry const entry = UUIDToUUIDMapEntry::create(model);
        entry->setKey(id(key));
        map->getPairsMutable().insert(entry, korm::zero::CollisionResolution::REPORT);
        return entry;
    }

    Model model = Model::create();
};

TEST_F(UUIDToUUIDMapTest, OneEntryAndOneInnerMapPerContainerKey) {
    UUIDToUUIDMap const map = mapWith({{5, 1, 10}});
    UUIDMap const inner = map->findValueForKey(id(5));
    ASSERT_TRUE(inner);
    std::size_t const elements = model->getElementCount();

    map->insertPair(id(5), id(2), id(20));  // the same inner map takes the second pair
    map->insertPair(id(3), id(1), id(30));
    EXPECT_EQ(textOf(map), "3{1:30 } 5{1:10 2:20 } ");
    EXPECT_EQ(map->findValueForKey(id(5)), inner);
    // One new UUIDMapEntry for (5, 2); entry, inner map and UUIDMapEntry for 3.
    EXPECT_EQ(model->getElementCount(), elements + 4);

    EXPECT_EQ(map->findValueForKeys(id(5), id(2)), id(20));
    EXPECT_TRUE(map->hasKey(id(3)));
    EXPECT_FALSE(map->hasKey(id(4)));
    EXPECT_FALSE(map->findValueForKey(id(4)));
    EXPECT_TRUE(map->findValueForKey(id(4)).isEmpty());
    EXPECT_EQ(map->findValueForKeys(id(4), id(1)), nil_uuid());
    EXPECT_EQ(map->findValueForKeys(id(5), id(9)), nil_uuid());
}

TEST_F(UUIDToUUIDMapTest, ARepeatedPairIsRefusedByTheInnerMapAndLeavesNothingBehind) {
    UUIDToUUIDMap const map = mapWith({{5, 1, 10}});
    std::size_t const elements = model->getElementCount();
    std::size_t const steps = model->getUndoCount();

    // Alone, the refused call rolls back its own transaction.
    EXPECT_THROW(map->insertPair(id(5), id(1), id(11)), Exception<messages::UniquenessConstraint>);
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_EQ(model->getUndoCount(), steps);

    // Inside the caller's transaction the new entry stays, uncontained, until rollback.
    {
        auto transaction = model.beginTransaction();
        EXPECT_THROW(map->insertPair(id(5), id(1), id(11)),
                     Exception<messages::UniquenessConstraint>);
        EXPECT_EQ(model->getElementCount(), elements + 1);
    }
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_EQ(textOf(map), "5{1:10 } ");

    // A lone successful call is one undo step.
    map->insertPair(id(6), id(1), id(12));
    EXPECT_EQ(model->getUndoCount(), steps + 1);
    model.undo();
    EXPECT_EQ(textOf(map), "5{1:10 } ");
}

TEST_F(UUIDToUUIDMapTest, AnEntryWithoutInnerMapHasNoPairs) {
    UUIDToUUIDMap const map = mapWith({{1, 7, 10}, {3, 7, 30}});
    UUIDToUUIDMapEntry const bare = fileBareEntry(map, 2);
    EXPECT_TRUE(map->hasKey(id(2)));
    EXPECT_FALSE(map->findValueForKey(id(2)));
    EXPECT_EQ(map->findValueForKeys(id(2), id(7)), nil_uuid());
    EXPECT_EQ(map->findValuesWithSubKey(id(7)), (std::vector<uuid>{id(10), id(30)}));

    {
        auto transaction = model.beginTransaction();
        std::size_t const elements = model->getElementCount();
        // The entry is not refilled: the outer insert refuses the second entry for key 2.
        EXPECT_THROW(map->insertPair(id(2), id(7), id(20)),
                     Exception<messages::UniquenessConstraint>);
        EXPECT_EQ(model->getElementCount(), elements + 3);  // entry, inner map, its pair
    }
    EXPECT_EQ(UUIDToUUIDMap::Impl::entriesOf(map->peekPairs()).at(id(2)), bare);

    map->erasePairForKeys(id(2), id(9));  // whatever the sub key, the bare entry goes
    EXPECT_FALSE(map->hasKey(id(2)));
    EXPECT_FALSE(bare);

    // An entry whose map was released counts as bare too.
    UUIDToUUIDMapEntry const released = UUIDToUUIDMap::Impl::entriesOf(map->peekPairs()).at(id(3));
    released->setValue(UUIDMap());
    EXPECT_EQ(map->findValuesWithSubKey(id(7)), std::vector<uuid>{id(10)});
    map->erasePairForKeys(id(3), id(7));
    EXPECT_EQ(textOf(map), "1{7:10 } ");
}

TEST_F(UUIDToUUIDMapTest, ErasingRemovesTheEntryWithItsLastPairOnly) {
    struct Case {
        char const* name;
        std::function<void(UUIDToUUIDMap::Impl&)> erase;
        char const* after;
    };
    std::vector<Case> const cases = {
        {"last pair", [](auto& m) { m.erasePairForKeys(id(2), id(1)); }, "1{1:10 2:20 } "},
        {"one of two", [](auto& m) { m.erasePairForKeys(id(1), id(1)); }, "1{2:20 } 2{1:30 } "},
        {"absent sub key beside one pair", [](auto& m) { m.erasePairForKeys(id(2), id(9)); },
         "1{1:10 2:20 } 2{1:30 } "},
        {"absent container key", [](auto& m) { m.erasePairForKeys(id(9), id(1)); },
         "1{1:10 2:20 } 2{1:30 } "},
        {"container key", [](auto& m) { m.erasePairForKey(id(1)); }, "2{1:30 } "},
        {"absent key", [](auto& m) { m.erasePairForKey(id(9)); }, "1{1:10 2:20 } 2{1:30 } "},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        UUIDToUUIDMap const map = mapWith({{1, 1, 10}, {1, 2, 20}, {2, 1, 30}});
        std::vector<UUIDMap> const inners = {map->findValueForKey(id(1)),
                                             map->findValueForKey(id(2))};
        c.erase(*map);
        EXPECT_EQ(textOf(map), c.after);
        for (std::size_t i = 0; i < inners.size(); ++i) {
            EXPECT_EQ(static_cast<bool>(inners[i]), map->hasKey(id(static_cast<int>(i + 1))))
                << "an erased entry's inner map is destroyed with it";
        }
    }
}

TEST_F(UUIDToUUIDMapTest, PairsErasedThroughTheInnerMapLeaveTheEntryToBeFilledAgain) {
    UUIDToUUIDMap const map = mapWith({{1, 1, 10}});
    UUIDMap const inner = map->findValueForKey(id(1));
    inner->erasePairForKey(id(1));
    EXPECT_EQ(textOf(map), "1{} ");
    EXPECT_TRUE(map->hasKey(id(1)));
    EXPECT_TRUE(map->findValuesWithSubKey(id(1)).empty());

    map->insertPair(id(1), id(2), id(20));
    EXPECT_EQ(map->findValueForKey(id(1)), inner);
    inner->erasePairsForValue(id(20));
    map->erasePairForKeys(id(1), id(5));  // an empty inner map: the entry goes
    EXPECT_FALSE(map->hasKey(id(1)));
    EXPECT_FALSE(inner);
}

TEST_F(UUIDToUUIDMapTest, FindValuesWithSubKeyGivesNonNilValuesInContainerKeyOrder) {
    UUIDToUUIDMap const map =
        mapWith({{4, 1, 40}, {3, 1, 0}, {1, 1, 10}, {2, 2, 20}, {5, 2, 50}, {5, 1, 51}});
    EXPECT_EQ(map->findValuesWithSubKey(id(1)), (std::vector<uuid>{id(10), id(40), id(51)}));
    EXPECT_TRUE(map->findValuesWithSubKey(id(9)).empty());
}

TEST_F(UUIDToUUIDMapTest, AProxyMapRefusesEveryOperationAndMakesNothing) {
    UUIDToUUIDMap const target = mapWith({{1, 1, 10}});
    UUIDToUUIDMap const proxy = korm::zero::createProxy<UUIDToUUIDMap>(
        model, korm::zero::ProxyId::forElement(target->getUuid(), nil_uuid()));
    std::vector<std::function<void()>> const operations = {
        [&] { proxy->insertPair(id(1), id(2), id(3)); },
        [&] { proxy->insertPair(id(2), id(2), id(3)); },
        [&] { proxy->erasePairForKey(id(1)); },
        [&] { proxy->erasePairForKeys(id(1), id(1)); },
        [&] { proxy->findValueForKey(id(1)); },
        [&] { proxy->findValuesWithSubKey(id(1)); },
        [&] { proxy->findValueForKeys(id(1), id(1)); },
        [&] { proxy->hasKey(id(1)); },
    };
    std::size_t const elements = model->getElementCount();
    for (auto const& operation : operations) {
        EXPECT_THROW(operation(), Exception<messages::CannotModifyProxy>);
    }
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_EQ(textOf(target), "1{1:10 } ");
}

// Random sequences of every operation (the inner maps' own erasures included), in
// transactions that are committed or rolled back, with undo and redo in between; after each
// step the map must hold exactly what a plain map of maps holds.
TEST_F(UUIDToUUIDMapTest, RandomSequencesMatchAMapOfMapsThroughRollbackUndoAndRedo) {
    UUIDToUUIDMap const map = UUIDToUUIDMap::create(model);
    std::mt19937 random(20261206);
    auto const pick = [&](int n) { return id(static_cast<std::uint8_t>(random() % n + 1)); };

    /// One random operation on the map and the same on `ref`.
    auto const step = [&](Contents& ref) {
        uuid const c = pick(5);
        uuid const s = pick(4);
        switch (random() % 8) {
            case 0:
            case 1: {
                uuid const v = random() % 4 == 0 ? nil_uuid() : pick(9);
                if (ref.count(c) != 0 && ref[c].count(s) != 0) {
                    EXPECT_THROW(map->insertPair(c, s, v),
                                 Exception<messages::UniquenessConstraint>);
                } else {
                    map->insertPair(c, s, v);
                    ref[c][s] = v;
                }
                break;
            }
            case 2:
                map->erasePairForKey(c);
                ref.erase(c);
                break;
            case 3:
            case 4:
                map->erasePairForKeys(c, s);
                if (auto it = ref.find(c); it != ref.end()) {
                    auto& inner = it->second;
                    if (inner.empty() || (inner.size() == 1 && inner.begin()->first == s)) {
                        ref.erase(it);
                    } else {
                        inner.erase(s);
                    }
                }
                break;
            case 5:
                if (UUIDMap const inner = map->findValueForKey(c)) {
                    inner->erasePairForKey(s);
                    ref[c].erase(s);
                }
                break;
            default: {
                std::vector<uuid> expected;
                for (auto const& [key, inner] : ref) {
                    auto const it = inner.find(s);
                    if (it != inner.end() && !it->second.is_nil()) {
                        expected.push_back(it->second);
                    }
                }
                EXPECT_EQ(map->findValuesWithSubKey(s), expected);
                auto const it = ref.find(c);
                EXPECT_EQ(map->hasKey(c), it != ref.end());
                uuid const found =
                    it != ref.end() && it->second.count(s) ? it->second.at(s) : nil_uuid();
                EXPECT_EQ(map->findValueForKeys(c, s), found);
            }
        }
    };

    Contents current;
    std::vector<Contents> undone;  // the states undo returns to, newest last
    std::vector<Contents> redone;  // the states redo returns to, newest last
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int const action = static_cast<int>(random() % 10);
        if (action == 0 && model->canUndo() && !undone.empty()) {
            model.undo();
            redone.push_back(current);
            current = undone.back();
            undone.pop_back();
        } else if (action == 1 && model->canRedo() && !redone.empty()) {
            model.redo();
            undone.push_back(current);
            current = redone.back();
            redone.pop_back();
        } else {
            Contents next = current;
            std::size_t const steps = model->getUndoCount();
            auto transaction = model.beginTransaction();
            for (int i = static_cast<int>(random() % 6); i >= 0; --i) {
                step(next);
            }
            if (action < 8) {
                transaction.commit();
                if (model->getUndoCount() != steps) {
                    undone.push_back(current);
                    redone.clear();
                }
                current = next;
            }
        }
        EXPECT_EQ(textOf(map), render(current));
    }
}

}  // namespace
}  // namespace arvex::utilities::test
