// Query classes and static accessors: entries found by key across a model, conditions bound to
// a class staying within it, relations over "Pairs" and an entry's inner map, and the element
// UUID attribute.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "arvex/utilities/queries.hpp"
#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using korm::zero::Model;
using korm::zero::ModelElement;
using korm::zero::query::ModelQuery;
using korm::zero::query::SearchClassMatchMode;

std::vector<ModelElement> sorted(std::vector<ModelElement> elements) {
    std::sort(elements.begin(), elements.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    return elements;
}

/// Two maps and a multimap holding key 1 (the multimap twice), a two-level map whose container
/// key is 1 and whose inner map holds key 2.
class QueryTest : public ::testing::Test {
  protected:
    QueryTest() {
        auto transaction = model.beginTransaction();
        a->insertPair(id(1), id(10));
        a->insertPair(id(2), id(20));
        b->insertPair(id(1), id(11));
        for (std::uint8_t value : {12, 13}) {
            UUIDMapEntry const entry = UUIDMapEntry::create(model);
            entry->setKey(id(1));
            entry->setValue(id(value));
            multi->getPairsMutable().insert(entry);
        }
        UUIDToUUIDMapEntry const outer = UUIDToUUIDMapEntry::create(model);
        outer->setKey(id(1));
        inner->insertPair(id(2), id(21));
        outer->setValue(inner);
        twoLevel->getPairsMutable().insert(outer, korm::zero::CollisionResolution::REPORT);
        transaction.commit();
    }

    Model model = Model::create();
    UUIDMap a = UUIDMap::create(model);
    UUIDMap b = UUIDMap::create(model);
    UUIDMultiMap multi = UUIDMultiMap::create(model);
    UUIDToUUIDMap twoLevel = UUIDToUUIDMap::create(model);
    UUIDMap inner = UUIDMap::create(model);
};

TEST_F(QueryTest, EntriesAreFoundByKeyAcrossTheModel) {
    std::vector<ModelElement> expected = {a->peekEntry(id(1)), b->peekEntry(id(1))};
    for (auto const& [key, entry] : UUIDMultiMap::Impl::entriesOf(multi->peekPairs())) {
        expected.push_back(entry);
    }
    expected = sorted(expected);

    ModelQuery byClass;
    UUIDMapEntry::Constrainables(byClass.withMode(SearchClassMatchMode::CONFORMING))
        .Key.equals(id(1));
    EXPECT_EQ(byClass.findIn(model), expected) << "the two-level entry with key 1 is another class";

    ModelQuery byAccessor;
    byAccessor.addCondition(UUIDMapEntry::key().equals(id(1)));
    EXPECT_EQ(byAccessor.findIn(model), expected);

    // Conditions add up; the explicit constructor searches the class it is given.
    ModelQuery both;
    UUIDMapEntry::Constrainables entries(both, UUIDMapEntry::metaClass(),
                                         SearchClassMatchMode::EXACT);
    entries.Key.equals(id(1));
    entries.Value.isIn({id(10), id(13)});
    ModelElement withValue13;
    for (auto const& [key, entry] : UUIDMultiMap::Impl::entriesOf(multi->peekPairs())) {
        if (entry->getValue() == id(13)) {
            withValue13 = entry;
        }
    }
    EXPECT_EQ(both.findIn(model), sorted({a->peekEntry(id(1)), withValue13}));
}

TEST_F(QueryTest, RelationsFollowPairsAndTheInnerMap) {
    // Maps holding an entry with key 2: the accessor's class keeps the multimap out.
    ModelQuery maps;
    maps.addCondition(UUIDMap::pairs().contains(UUIDMapEntry::key().equals(id(2))));
    EXPECT_EQ(maps.findIn(model), sorted({a, inner}));

    ModelQuery multimaps;
    UUIDMultiMap::Constrainables(multimaps.withMode(SearchClassMatchMode::EXACT))
        .Pairs.contains(UUIDMapEntry::value().equals(id(13)));
    EXPECT_EQ(multimaps.findIn(model), std::vector<ModelElement>{multi});

    // Two levels down: the two-level map whose entry's inner map holds key 2.
    ModelQuery deep;
    deep.addCondition(UUIDToUUIDMap::pairs().contains(UUIDToUUIDMapEntry::value().contains(
        UUIDMap::pairs().contains(UUIDMapEntry::key().equals(id(2))))));
    EXPECT_EQ(deep.findIn(model), std::vector<ModelElement>{twoLevel});

    ModelQuery empty;
    UUIDToUUIDMapEntry::Constrainables(empty.withMode(SearchClassMatchMode::CONFORMING))
        .Value.isEmpty();
    EXPECT_TRUE(empty.findIn(model).empty());
}

TEST_F(QueryTest, AccessorsAndUuidAttributesAreOneObjectPerClass) {
    EXPECT_EQ(&UUIDMapEntry::key(), &UUIDMapEntry::key());
    EXPECT_EQ(UUIDMapEntry::key().getProperty(), detail::Meta::uuidMapEntryKey());
    EXPECT_EQ(UUIDToUUIDMap::pairs().getProperty(), detail::Meta::uuidToUUIDMapPairs());
    EXPECT_EQ(&UUIDMapEntry::Uuid(), &UUIDMapEntry::Uuid());
    std::set<void const*> const attributes = {&UUIDMapEntry::Uuid(),       &UUIDMap::Uuid(),
                                              &UUIDMultiMap::Uuid(),       &UUIDToUUIDMap::Uuid(),
                                              &UUIDToUUIDMapEntry::Uuid(), &FullPathAPI::Uuid()};
    EXPECT_EQ(attributes.size(), 6U) << "one object per class";

    // The UUID attribute finds one element, and only within its class.
    ModelQuery byUuid;
    byUuid.addCondition(UUIDMap::Uuid().isIn({a->getUuid(), multi->getUuid()}));
    EXPECT_EQ(byUuid.findIn(model), std::vector<ModelElement>{a});
}

}  // namespace
}  // namespace arvex::utilities::test
