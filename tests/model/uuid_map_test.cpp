// UUIDMap's operations, UUIDMapEntry's setters, and the map's behaviour in transactions.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <vector>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::nil_uuid;
using korm::zero::Model;

class UUIDMapTest : public ::testing::Test {
  protected:
    /// A map holding the pairs (key, value) given by their last bytes.
    UUIDMap mapWith(std::vector<std::pair<int, int>> const& pairs) {
        UUIDMap const map = UUIDMap::create(model);
        auto transaction = model.beginTransaction();
        for (auto const& [k, v] : pairs) {
            map->insertPair(id(k), id(v));
        }
        transaction.commit();
        return map;
    }

    Model model = Model::create();
};

TEST_F(UUIDMapTest, FindsWhatWasInsertedAndAnswersNilOrFalseForAbsentKeys) {
    UUIDMap const map = mapWith({{3, 30}, {1, 10}, {2, 0}});
    EXPECT_EQ(pairsOf(map), "1:10 2:0 3:30 ");  // ascending keys, whatever the insertion order
    EXPECT_EQ(map->findValueForKey(id(3)), id(30));
    EXPECT_TRUE(map->hasKey(id(2)));
    EXPECT_EQ(map->findValueForKey(id(2)), nil_uuid());  // a pair with a nil value
    EXPECT_FALSE(map->hasKey(id(9)));
    EXPECT_EQ(map->findValueForKey(id(9)), nil_uuid());
    // Each pair is an entry contained by the map.
    auto const& nodes = UUIDMap::Impl::entriesOf(map->peekPairs());
    EXPECT_EQ(nodes.begin()->second->basicContainer(), map.getImpl());
    EXPECT_TRUE(map->hasPairs());
    EXPECT_FALSE(UUIDMap::create(model)->hasPairs());
}

TEST_F(UUIDMapTest, ASecondInsertOfAKeyIsRefusedAndKeepsTheFirstValue) {
    UUIDMap const map = mapWith({{1, 10}});
    auto transaction = model.beginTransaction();
    EXPECT_THROW(map->insertPair(id(1), id(11)), Exception<messages::UniquenessConstraint>);
    EXPECT_EQ(map->findValueForKey(id(1)), id(10));
    std::size_t const elements = model->getElementCount();
    transaction = {};  // rolled back: the uncontained entry the insert made goes too
    EXPECT_EQ(model->getElementCount(), elements - 1);
    EXPECT_EQ(pairsOf(map), "1:10 ");
}

TEST_F(UUIDMapTest, ErasingRemovesExactlyTheMatchingPairs) {
    struct Case {
        char const* name;
        std::function<void(UUIDMap::Impl&)> erase;
        char const* after;
    };
    std::vector<Case> const cases = {
        {"key", [](auto& m) { m.erasePairForKey(id(2)); }, "1:7 3:7 4:8 "},
        {"absent key", [](auto& m) { m.erasePairForKey(id(9)); }, "1:7 2:8 3:7 4:8 "},
        {"value", [](auto& m) { m.erasePairsForValue(id(7)); }, "2:8 4:8 "},
        {"absent value", [](auto& m) { m.erasePairsForValue(id(9)); }, "1:7 2:8 3:7 4:8 "},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        UUIDMap const map = mapWith({{1, 7}, {2, 8}, {3, 7}, {4, 8}});
        auto const before = UUIDMap::Impl::entriesOf(map->peekPairs());
        c.erase(*map);
        EXPECT_EQ(pairsOf(map), c.after);
        for (auto const& [key, entry] : before) {
            EXPECT_EQ(static_cast<bool>(entry), map->hasKey(key)) << "erased entries are destroyed";
        }
    }
}

TEST_F(UUIDMapTest, SetKeyRefilesTheEntryAndRefusesATakenKey) {
    UUIDMap const map = mapWith({{1, 10}, {2, 20}});
    UUIDMapEntry const entry = UUIDMap::Impl::entriesOf(map->peekPairs()).begin()->second;
    entry->setKey(id(5));
    EXPECT_EQ(pairsOf(map), "2:20 5:10 ");
    EXPECT_FALSE(map->hasKey(id(1)));
    EXPECT_EQ(entry->basicContainer(), map.getImpl());

    EXPECT_THROW(entry->setKey(id(2)), Exception<messages::UniquenessConstraint>);
    EXPECT_EQ(entry->getKey(), id(5));
    EXPECT_EQ(pairsOf(map), "2:20 5:10 ");
}

TEST_F(UUIDMapTest, SettingAnEqualValueOrKeyRecordsNothing) {
    UUIDMap const map = mapWith({{1, 10}});
    UUIDMapEntry const entry = map->peekEntry(id(1));
    std::size_t const steps = model->getUndoCount();
    entry->setValue(id(10));
    entry->setKey(id(1));
    EXPECT_EQ(model->getUndoCount(), steps);
    entry->setValue(id(11));
    EXPECT_EQ(model->getUndoCount(), steps + 1);
}

// Every operation of a proxy map of each kind, and the setters of a proxy entry, report
// CannotModifyProxy before anything is made.
TEST_F(UUIDMapTest, ProxyMapsAndEntriesRefuseEveryOperation) {
    UUIDMap const target = mapWith({{1, 10}});
    auto const proxyOf = [&]<class T>(T const&) {
        return korm::zero::createProxy<T>(
            model, korm::zero::ProxyId::forElement(target->getUuid(), nil_uuid()));
    };
    UUIDMap const map = proxyOf(UUIDMap());
    UUIDMultiMap const multi = proxyOf(UUIDMultiMap());
    UUIDToUUIDMap const twoLevel = proxyOf(UUIDToUUIDMap());
    UUIDMapEntry const entry = proxyFor(model, target->peekEntry(id(1)));
    std::vector<std::function<void()>> const operations = {
        [&] { map->insertPair(id(2), id(3)); },
        [&] { map->erasePairForKey(id(1)); },
        [&] { map->erasePairsForValue(id(10)); },
        [&] { map->findValueForKey(id(1)); },
        [&] { map->hasKey(id(1)); },
        [&] { entry->setKey(id(4)); },
        [&] { entry->setValue(id(4)); },
        [&] { multi->insertPair(id(2), id(3)); },
        [&] { multi->erasePairsForKey(id(1)); },
        [&] { multi->erasePairsKeyAndValue(id(1), id(10)); },
        [&] { multi->erasePairsForValue(id(10)); },
        [&] { multi->findValuesForKey(id(1)); },
        [&] { multi->hasKey(id(1)); },
        [&] { twoLevel->insertPair(id(2), id(2), id(3)); },
        [&] { twoLevel->erasePairForKey(id(1)); },
        [&] { twoLevel->erasePairForKeys(id(1), id(1)); },
        [&] { twoLevel->findValueForKey(id(1)); },
        [&] { twoLevel->findValuesWithSubKey(id(1)); },
        [&] { twoLevel->findValueForKeys(id(1), id(1)); },
        [&] { twoLevel->hasKey(id(1)); },
    };
    std::size_t const elements = model->getElementCount();
    {
        auto transaction = model.beginTransaction();
        for (std::size_t i = 0; i < operations.size(); ++i) {
            EXPECT_THROW(operations[i](), Exception<messages::CannotModifyProxy>) << i;
        }
    }
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_EQ(pairsOf(target), "1:10 ");
}

// A mixed sequence, re-inserting an erased key and re-keying a new entry: rolled back it leaves
// the map as it was; committed, undo and redo give the states before and after.
TEST_F(UUIDMapTest, AMixedSequenceRollsBackUndoesAndRedoes) {
    UUIDMap const map = mapWith({{1, 7}, {2, 8}, {3, 7}});
    std::string const before = pairsOf(map);
    std::size_t const elements = model->getElementCount();
    for (bool const commit : {false, true}) {
        auto transaction = model.beginTransaction();
        map->insertPair(id(4), id(9));
        map->erasePairForKey(id(2));
        map->erasePairsForValue(id(7));
        map->peekEntry(id(4))->setKey(id(6));
        map->insertPair(id(1), id(5));
        EXPECT_EQ(pairsOf(map), "1:5 6:9 ");
        if (commit) {
            transaction.commit();
        }
    }
    model.undo();
    EXPECT_EQ(pairsOf(map), before);
    EXPECT_EQ(model->getElementCount(), elements);
    for (auto const& [key, entry] : UUIDMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_EQ(entry->getKey(), key);
        EXPECT_EQ(entry->basicContainer(), map.getImpl());
    }
    model.redo();
    EXPECT_EQ(pairsOf(map), "1:5 6:9 ");
    EXPECT_FALSE(map->hasKey(id(2)));
}

// Erasing, re-keying and inserting many pairs in one transaction saves the map's "Pairs" once
// (one old-value record for the map), not once per call; rollback, undo and redo stay exact.
TEST_F(UUIDMapTest, ManyChangesInOneTransactionSaveThePairsOnce) {
    std::vector<std::pair<int, int>> pairs;
    for (int k = 1; k <= 40; ++k) {
        pairs.emplace_back(k, k % 3);
    }
    UUIDMap const map = mapWith(pairs);
    std::string const before = pairsOf(map);
    auto const change = [&] {
        for (int k = 1; k <= 20; ++k) {
            map->erasePairForKey(id(k));
        }
        for (int k = 21; k <= 25; ++k) {
            map->peekEntry(id(k))->setKey(id(k + 100));
        }
        for (int k = 50; k <= 55; ++k) {
            map->insertPair(id(k), id(1));
        }
        map->erasePairsForValue(id(2));
    };
    {
        auto transaction = model.beginTransaction();
        change();
        EXPECT_EQ(korm::zero::Model::Impl::getOldValueRecordCount(*map.getImpl()), 1U);
        EXPECT_EQ(korm::zero::Model::Impl::getOldValueRecordCount(*map->peekEntry(id(121))), 1U);
    }
    EXPECT_EQ(pairsOf(map), before);
    {
        auto transaction = model.beginTransaction();
        change();
        transaction.commit();
    }
    std::string const after = pairsOf(map);
    EXPECT_EQ(UUIDMap::Impl::entriesOf(map->peekPairs()).size(), 20U);
    model.undo();
    EXPECT_EQ(pairsOf(map), before);
    model.redo();
    EXPECT_EQ(pairsOf(map), after);
    for (auto const& [key, entry] : UUIDMap::Impl::entriesOf(map->peekPairs())) {
        EXPECT_EQ(entry->getKey(), key);
        EXPECT_EQ(entry->basicContainer(), map.getImpl());
    }
}

}  // namespace
}  // namespace arvex::utilities::test
