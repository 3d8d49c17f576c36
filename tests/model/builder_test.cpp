// Builders: which values and nested builders each class takes, the elements a builder tree
// makes in one step, failures that leave nothing behind, and the creations into a map's
// "Pairs" and an entry's "Value".

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <memory>

#include "arvex/utilities/builders.hpp"
#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::nil_uuid;
using boost::uuids::uuid;
using detail::Meta;
using korm::zero::Model;
using korm::zero::ModelElement;
using BuilderPtr = std::unique_ptr<ModelElement::Builder>;

korm::zero::Value uuidValue(uuid const& u) {
    return makeValue<uuid>(u);
}

/// An entry builder given a key and a value.
BuilderPtr entryBuilder(uuid const& key, uuid const& value = nil_uuid()) {
    auto builder = std::make_unique<UUIDMapEntry::Builder>();
    builder->setOrAdd(Meta::uuidMapEntryKey(), uuidValue(key));
    builder->setOrAdd(Meta::uuidMapEntryValue(), uuidValue(value));
    return builder;
}

class BuilderTest : public ::testing::Test {
  protected:
    Model model = Model::create();
};

TEST_F(BuilderTest, OnlyGivenValuesAreReadAndWrongOnesAreRefusedBeforeAnythingIsStored) {
    UUIDMapEntry::Builder builder(model);
    builder.setOrAdd(Meta::uuidMapEntryKey(), uuidValue(id(1)));
    // A value of another type: refused, nothing stored, no bit set.
    EXPECT_THROW(builder.setOrAdd(Meta::uuidMapEntryValue(), makeValue<bool>(true)),
                 Exception<messages::CannotCastIncompatibleTypes>);
    // A property the class does not own goes to the framework builder.
    EXPECT_THROW(builder.setOrAdd(Meta::uuidMapPairs(), uuidValue(id(2))),
                 Exception<messages::UnknownProperty>);
    EXPECT_TRUE(builder.isGiven(1));
    EXPECT_FALSE(builder.isGiven(2));
    EXPECT_EQ(builder.getBuilderImpl().getKey(), id(1));
    EXPECT_EQ(builder.getBuilderImpl().getValue(), nil_uuid());
    // A value stored without its bit is not read.
    builder.getBuilderImpl().doSetValue(id(7));
    EXPECT_EQ(builder.getBuilderImpl().getValue(), nil_uuid());

    UUIDMapEntry const entry = detail::narrowTo<UUIDMapEntry>(builder.create(nil_uuid()));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->getKey(), id(1));
    EXPECT_EQ(entry->getValue(), nil_uuid());
    EXPECT_NE(entry->getUuid(), nil_uuid());
    EXPECT_EQ(builder.getMetaClass(), UUIDMapEntry::metaClass());
}

TEST_F(BuilderTest, AnEntryOfTheTwoLevelMapTakesAMapBuilderAsItsValue) {
    UUIDToUUIDMapEntry::Builder builder(model);
    builder.setOrAdd(Meta::uuidToUUIDMapEntryKey(), uuidValue(id(1)));
    // A UUID for "Value" is not this class's: the framework builder reports it.
    EXPECT_THROW(builder.setOrAdd(Meta::uuidToUUIDMapEntryValue(), uuidValue(id(2))),
                 Exception<messages::UnknownProperty>);
    EXPECT_FALSE(builder.isGiven(2));
    // A builder of the wrong class is refused and stays with the caller.
    BuilderPtr wrong = entryBuilder(id(3));
    EXPECT_THROW(builder.setOrAdd(Meta::uuidToUUIDMapEntryValue(), wrong),
                 Exception<messages::UnknownProperty>);
    EXPECT_NE(wrong, nullptr);
    // A map builder, itself holding an entry builder, is taken.
    auto inner = std::make_unique<UUIDMap::Builder>();
    BuilderPtr pair = entryBuilder(id(5), id(50));
    inner->setOrAdd(Meta::uuidMapPairs(), pair);
    BuilderPtr map = std::move(inner);
    builder.setOrAdd(Meta::uuidToUUIDMapEntryValue(), map);
    EXPECT_EQ(map, nullptr);
    EXPECT_TRUE(builder.isGiven(2));

    std::size_t const steps = model->getUndoCount();
    auto const entry = detail::narrowTo<UUIDToUUIDMapEntry>(builder.create(nil_uuid()));
    UUIDMap const made = entry->getValue();
    ASSERT_TRUE(made);
    EXPECT_EQ(made->basicContainer(), entry.getImpl());
    EXPECT_EQ(made->containmentFeature(), Meta::uuidToUUIDMapEntryValue());
    EXPECT_EQ(pairsOf(made), "5:50 ");
    EXPECT_EQ(model->getUndoCount(), steps + 1) << "the whole tree is one step";
    model.undo();
    EXPECT_EQ(model->getElementCount(), 0U);
}

TEST_F(BuilderTest, MapBuildersFileTheirEntriesAndAMapRefusesADuplicateKey) {
    struct Case {
        char const* name;
        std::function<std::unique_ptr<ModelElement::Builder>()> makeMap;
        korm::zero::meta::Property const& pairs;
        bool unique;
    };
    Case const cases[] = {
        {"map", [] { return std::make_unique<UUIDMap::Builder>(); }, Meta::uuidMapPairs(), true},
        {"multimap", [] { return std::make_unique<UUIDMultiMap::Builder>(); },
         Meta::uuidMultiMapPairs(), false},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        for (uuid const second : {id(2), id(1)}) {
            BuilderPtr builder = c.makeMap();
            builder->setModel(model);
            for (uuid const key : {id(1), second}) {
                BuilderPtr entry = entryBuilder(key, id(10));
                builder->setOrAdd(c.pairs, entry);
            }
            std::size_t const before = model->getElementCount();
            auto transaction = model.beginTransaction();
            if (second == id(1) && c.unique) {
                EXPECT_THROW(builder->create(nil_uuid()),
                             Exception<messages::UniquenessConstraint>);
                transaction = {};  // the caller rolls back
                EXPECT_EQ(model->getElementCount(), before) << "nothing left behind";
                continue;
            }
            ModelElement const made = builder->create(nil_uuid());
            transaction.commit();
            EXPECT_EQ(model->getElementCount(), before + 3);
            auto const& pairs = *static_cast<korm::zero::ReferenceCollection const*>(
                made->getPropertyValue(c.pairs, korm::zero::NO_PROXY_RESOLVE).getPayload());
            for (ModelElement const& entry : pairs.getAllValues()) {
                EXPECT_EQ(entry->basicContainer(), made.getImpl());
            }
            EXPECT_EQ(pairs.getAllValues().size(), 2U);
        }
    }
}

TEST_F(BuilderTest, ANestedBuilderMakesItsElementOncePerCreation) {
    UUIDMap::Builder top(model);
    BuilderPtr nested = entryBuilder(id(1));
    ModelElement::Builder& entryBuilderRef = *nested;
    top.setOrAdd(Meta::uuidMapPairs(), nested);

    ModelElement::Builder::Orchestrator orchestrator(top);
    orchestrator.addBuilder(entryBuilderRef);
    ModelElement const once = entryBuilderRef.create(nil_uuid());
    EXPECT_EQ(entryBuilderRef.create(nil_uuid()), once);
    // The map's cascade finds the entry already made and files that one.
    UUIDMap const map = detail::narrowTo<UUIDMap>(top.create(nil_uuid()));
    orchestrator.commit();
    EXPECT_EQ(map->peekEntry(id(1)), once);
    EXPECT_EQ(model->getElementCount(), 2U);
}

TEST_F(BuilderTest, ClearedPairsMakeAnEmptyMapAndAnUnannouncedOneHasNoNestedElements) {
    UUIDMap::Builder builder(model);
    for (uuid const key : {id(1), id(2)}) {
        BuilderPtr entry = entryBuilder(key);
        builder.setOrAdd(Meta::uuidMapPairs(), entry);
    }
    builder.getBuilderImpl().doClearPairs();
    EXPECT_TRUE(builder.getBuilderImpl().getPairBuilders().empty());
    ModelElement const map = builder.create(nil_uuid());
    EXPECT_FALSE(map->hasPropertyValue(Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS));
    EXPECT_EQ(model->getElementCount(), 1U);

    // Made unannounced: outside the model, and without the elements it would own.
    BuilderPtr entry = entryBuilder(id(1));
    builder.setOrAdd(Meta::uuidMapPairs(), entry);
    UUIDMap const bare = detail::narrowTo<UUIDMap>(builder.createUnannounced(nil_uuid()));
    EXPECT_FALSE(bare);
    EXPECT_FALSE(bare->hasPairs());
    EXPECT_EQ(model->getElementCount(), 1U);
}

TEST_F(BuilderTest, CreateIntoPairsFilesTheNewEntryOrRefusesItsKey) {
    UUIDMap const map = UUIDMap::create(model);
    UUIDMultiMap const multi = UUIDMultiMap::create(model);
    auto entryWith = [](uuid const& key, uuid const& value) {
        return UUIDMapEntry::BuilderWrapper(entryBuilder(key, value));
    };
    uuid const wanted = id(99);
    UUIDMapEntry const first = map->createIntoPairs(entryWith(id(1), id(10)), wanted);
    EXPECT_EQ(first->getUuid(), wanted);
    EXPECT_EQ(first->basicContainer(), map.getImpl());
    EXPECT_EQ(pairsOf(map), "1:10 ");

    // A clash alone: the call's own transaction rolls the new entry back.
    std::size_t const elements = model->getElementCount();
    EXPECT_THROW(map->createIntoPairs(entryWith(id(1), id(11)), nil_uuid()),
                 Exception<messages::UniquenessConstraint>);
    EXPECT_EQ(model->getElementCount(), elements);
    EXPECT_FALSE(model->isInTransaction());
    EXPECT_EQ(pairsOf(map), "1:10 ");

    // A multimap files the entry beside the other of its key; one undo step each.
    multi->createIntoPairs(entryWith(id(1), id(10)), nil_uuid());
    multi->createIntoPairs(entryWith(id(1), id(11)), nil_uuid());
    EXPECT_EQ(UUIDMultiMap::Impl::entriesOf(multi->peekPairs()).count(id(1)), 2U);
    model.undo();
    EXPECT_EQ(UUIDMultiMap::Impl::entriesOf(multi->peekPairs()).count(id(1)), 1U);

    // Inside the caller's transaction several creations join it.
    auto transaction = model.beginTransaction();
    map->createIntoPairs(entryWith(id(2), id(20)), nil_uuid());
    map->createIntoPairs(entryWith(id(3), id(30)), nil_uuid());
    transaction = {};
    EXPECT_EQ(pairsOf(map), "1:10 ");

    // A proxy map makes nothing; a missing builder is refused.
    UUIDMap const proxy = korm::zero::createProxy<UUIDMap>(
        model, korm::zero::ProxyId::forElement(map->getUuid(), UUIDMap::metaClass()->getUuid()));
    EXPECT_THROW(proxy->createIntoPairs(entryWith(id(5), id(5)), nil_uuid()),
                 Exception<messages::CannotModifyProxy>);
    EXPECT_THROW(map->createIntoPairs(UUIDMapEntry::BuilderWrapper(), nil_uuid()),
                 Exception<messages::InvalidValue>);
    EXPECT_EQ(model->getElementCount(), elements + 1);
}

TEST_F(BuilderTest, CreateIntoValueReplacesTheInnerMapWithoutDestroyingIt) {
    UUIDToUUIDMapEntry const entry = UUIDToUUIDMapEntry::create(model);
    UUIDMap const old = UUIDMap::create(model);
    entry->setValue(old);
    std::size_t const steps = model->getUndoCount();

    UUIDMap const made = entry->createIntoValue(std::make_unique<UUIDMap::Builder>(), id(42));
    EXPECT_EQ(made->getUuid(), id(42));
    EXPECT_EQ(entry->getValue(), made);
    EXPECT_EQ(made->basicContainer(), entry.getImpl());
    EXPECT_TRUE(old) << "released, not destroyed";
    EXPECT_EQ(old->basicContainer(), nullptr);
    EXPECT_EQ(model->getUndoCount(), steps + 1);

    model.undo();
    EXPECT_EQ(entry->getValue(), old);
    EXPECT_EQ(old->basicContainer(), entry.getImpl());
    EXPECT_FALSE(made);
}

}  // namespace
}  // namespace arvex::utilities::test
