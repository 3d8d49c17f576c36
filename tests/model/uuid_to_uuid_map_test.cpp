// UUIDToUUIDMap's two-level operations, alone and in transactions, against a map of maps.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
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

/// The map's contents read from its collections, checking that every entry and inner map is
/// filed and contained where it belongs.
std::string textOf(UUIDToUUIDMap const& map) {
    Contents out;
    for (auto const& [key, entry] : UUIDToUUIDMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_TRUE(entry && entry->getKey() == key && entry->basicContainer() == map.getImpl());
        auto& inner = out[key];
        if (UUIDMap const value = entry->getValue()) {
            EXPECT_EQ(value->basicContainer(), entry.getImpl());
            for (auto const& [subKey, pair] : UUIDMap::Impl::entriesOf(value->peekPairs())) {
                inner[subKey] = pair->getValue();
            }
        }
    }
    return render(out);
}

class UUIDToUUIDMapTest : public ::testing::Test {
  protected:
    Model model = Model::create();
    UUIDToUUIDMap map = UUIDToUUIDMap::create(model);

    void fill(std::vector<std::tuple<int, int, int>> const& triples) {
        auto transaction = model.beginTransaction();
        for (auto const& [c, s, v] : triples) {
            map->insertPair(id(c), id(s), id(v));
        }
        transaction.commit();
    }
};

TEST_F(UUIDToUUIDMapTest, InnerMapsComeWithTheirFirstPairAndGoWithTheLastErasedThroughTheMap) {
    std::size_t const elements = model->getElementCount();
    fill({{5, 1, 10}, {5, 2, 20}, {3, 1, 30}});
    EXPECT_EQ(textOf(map), "3{1:30 } 5{1:10 2:20 } ");
    EXPECT_EQ(model->getElementCount(), elements + 7);  // 2 entries, 2 inner maps, 3 pairs
    EXPECT_EQ(map->findValueForKeys(id(5), id(2)), id(20));
    EXPECT_TRUE(map->findValueForKey(id(4)).isEmpty());
    EXPECT_EQ(map->findValueForKeys(id(4), id(1)), nil_uuid());

    // A repeated pair is refused by the inner map; alone, the call leaves nothing behind.
    EXPECT_THROW(map->insertPair(id(5), id(1), id(11)), Exception<messages::UniquenessConstraint>);
    EXPECT_EQ(model->getElementCount(), elements + 7);
    EXPECT_EQ(map->findValueForKeys(id(5), id(1)), id(10));

    UUIDMap const inner5 = map->findValueForKey(id(5));
    UUIDMap const inner3 = map->findValueForKey(id(3));
    map->erasePairForKeys(id(3), id(9));  // a sub key beside the only pair: nothing goes
    map->erasePairForKeys(id(5), id(1));
    inner5->erasePairForKey(id(2));  // through the inner map: the entry stays, empty
    EXPECT_EQ(textOf(map), "3{1:30 } 5{} ");
    map->insertPair(id(5), id(3), id(40));
    EXPECT_EQ(map->findValueForKey(id(5)), inner5);
    map->erasePairForKeys(id(3), id(1));
    EXPECT_FALSE(map->hasKey(id(3)));
    EXPECT_FALSE(inner3) << "the inner map goes with its entry";
}

TEST_F(UUIDToUUIDMapTest, AnEntryWithoutInnerMapHasNoPairsAndIsNotRefilled) {
    fill({{1, 7, 10}, {3, 7, 30}});
    UUIDToUUIDMapEntry const bare = UUIDToUUIDMapEntry::create(model);
    bare->setKey(id(2));
    map->getPairsMutable().insert(bare, korm::zero::CollisionResolution::REPORT);
    UUIDToUUIDMapEntry const released = UUIDToUUIDMap::Impl::entriesOf(map->peekPairs()).at(id(3));
    released->setValue(UUIDMap());

    EXPECT_TRUE(map->hasKey(id(2)));
    EXPECT_TRUE(map->findValueForKey(id(3)).isEmpty());
    EXPECT_EQ(map->findValueForKeys(id(2), id(7)), nil_uuid());
    EXPECT_EQ(map->findValuesWithSubKey(id(7)), std::vector<uuid>{id(10)});
    EXPECT_THROW(map->insertPair(id(2), id(7), id(20)), Exception<messages::UniquenessConstraint>);
    map->erasePairForKeys(id(2), id(9));  // whatever the sub key, the entry goes
    map->erasePairForKeys(id(3), id(7));
    EXPECT_EQ(textOf(map), "1{7:10 } ");
    EXPECT_FALSE(bare);
}

// Random operations (the inner maps' own erasures included) in transactions that are
// committed or rolled back, with undo and redo in between: after each round the map holds
// what a plain map of maps holds, and the finds answer as it does.
TEST_F(UUIDToUUIDMapTest, RandomSequencesMatchAMapOfMapsThroughRollbackUndoAndRedo) {
    std::mt19937 random(20261206);
    auto const pick = [&](unsigned n) { return id(static_cast<std::uint8_t>(random() % n + 1)); };
    auto const step = [&](Contents& ref) {
        uuid const c = pick(5);
        uuid const s = pick(4);
        auto const at = ref.find(c);
        switch (random() % 7) {
            case 0:
            case 1:
                if (at != ref.end() && at->second.count(s) != 0) {
                    EXPECT_THROW(map->insertPair(c, s, id(9)),
                                 Exception<messages::UniquenessConstraint>);
                } else {
                    uuid const v = random() % 4 == 0 ? nil_uuid() : pick(9);
                    map->insertPair(c, s, v);
                    ref[c][s] = v;
                }
                break;
            case 2:
                map->erasePairForKey(c);
                ref.erase(c);
                break;
            case 3:
                map->erasePairForKeys(c, s);
                if (at != ref.end() && at->second.size() == at->second.count(s)) {
                    ref.erase(at);  // nothing but the sub key's pair: the entry goes
                } else if (at != ref.end()) {
                    at->second.erase(s);
                }
                break;
            case 4:
                if (at != ref.end()) {
                    map->findValueForKey(c)->erasePairForKey(s);
                    at->second.erase(s);
                }
                break;
            default: {
                std::vector<uuid> values;
                for (auto const& [key, inner] : ref) {
                    if (inner.count(s) != 0 && !inner.at(s).is_nil()) {
                        values.push_back(inner.at(s));
                    }
                }
                EXPECT_EQ(map->findValuesWithSubKey(s), values);
                EXPECT_EQ(map->hasKey(c), at != ref.end());
                bool const held = at != ref.end() && at->second.count(s) != 0;
                EXPECT_EQ(map->findValueForKeys(c, s), held ? at->second.at(s) : nil_uuid());
            }
        }
    };

    std::vector<Contents> history{{}};  // the state after each stored step
    std::size_t now = 0;                // history[now] is the current state
    for (int round = 0; round < 300 && !HasFailure(); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        unsigned const action = random() % 10;
        if (action == 0 && now > 0) {
            model.undo();
            --now;
        } else if (action == 1 && now + 1 < history.size()) {
            model.redo();
            ++now;
        } else {
            Contents next = history[now];
            std::size_t const steps = model->getUndoCount();
            auto transaction = model.beginTransaction();
            for (unsigned i = random() % 6 + 1; i > 0; --i) {
                step(next);
            }
            if (action < 8) {
                transaction.commit();
                if (model->getUndoCount() != steps) {
                    history.resize(now + 1);
                    history.push_back(next);
                    ++now;
                }
            }
        }
        EXPECT_EQ(textOf(map), render(history[now]));
    }
}

}  // namespace
}  // namespace arvex::utilities::test
