// The element pattern: defaults, reflection, old-value records, destruction, the inner map of
// a UUIDToUUIDMapEntry and the UUIDMap value.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::nil_uuid;
using boost::uuids::uuid;
using detail::Meta;
using korm::zero::ElementImpl;
using korm::zero::Model;
using korm::zero::ReferenceCollection;
using korm::zero::Value;

ReferenceCollection* collectionIn(Value const& value) {
    return static_cast<ReferenceCollection*>(value.getPayload());
}

class ElementPatternTest : public ::testing::Test {
  protected:
    Model model = Model::create();
};

TEST_F(ElementPatternTest, NewElementsHoldTheDefaults) {
    UUIDMapEntry const entry = UUIDMapEntry::create(model);
    EXPECT_TRUE(entry);
    EXPECT_NE(entry->getUuid(), nil_uuid()) << "the nil UUID asks for a fresh one";
    for (auto const* property : {&Meta::uuidMapEntryKey(), &Meta::uuidMapEntryValue()}) {
        EXPECT_TRUE(entry->hasPropertyValue(*property, korm::zero::PUBLIC_ACCESS));
        EXPECT_EQ(entry->getPropertyValue(*property, korm::zero::PUBLIC_ACCESS).getValue<uuid>(),
                  nil_uuid());
    }
    UUIDMap const map = UUIDMap::create(model);
    EXPECT_FALSE(map->hasPropertyValue(Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS));
    UUIDToUUIDMapEntry const outer = UUIDToUUIDMapEntry::create(model);
    EXPECT_FALSE(outer->hasValue());
    EXPECT_EQ(outer->getMetaClass(), UUIDToUUIDMapEntry::metaClass());
    EXPECT_EQ(entry->getPropertyByIndex(2), Meta::uuidMapEntryValue());
    EXPECT_EQ(map->getPropertyByIndex(1), Meta::uuidMapPairs());
    EXPECT_THROW(UUIDMap::create(Model()), Exception<messages::CannotCreateWithoutModel>);
}

TEST_F(ElementPatternTest, AnExtraReferenceKeepsTheRecordUntilRemoveRefReleasesIt) {
    UUIDMapEntry::Impl* record = nullptr;
    {
        Model const closing = Model::create();
        UUIDMapEntry const entry = UUIDMapEntry::create(closing);
        auto const count = entry->getRefCount();
        entry.addRef();
        {
            UUIDMapEntry const copy = entry;  // a copy counts on top of the extra reference
            EXPECT_EQ(entry->getRefCount(), count + 2);
        }
        record = entry.getImpl();
    }
    // The model and every handle are gone: the extra reference alone keeps the record.
    ASSERT_EQ(record->getRefCount(), 1);
    auto const held = ElementImpl::liveRecordCount();
    {
        UUIDMapEntry const keeper(record);  // how the holder of the plain pointer lets it go
        keeper.removeRef();
        EXPECT_EQ(keeper->getRefCount(), 1) << "only the keeper's own reference is left";
    }
    EXPECT_EQ(ElementImpl::liveRecordCount(), held - 1) << "the record went with the keeper";

    UUIDMapEntry const empty;
    empty.addRef();  // an empty handle has nothing to count
    empty.removeRef();
    EXPECT_FALSE(empty);
}

TEST(ElementPatternDeathTest, HelpersOfOperationsAssertAnOpenTransaction) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Model const model = Model::create();
    UUIDMapEntry const entry = UUIDMapEntry::create(model);
    // Without the assertion the change would be refused by an exception, which is no death.
    EXPECT_DEATH(detail::changeProperty(*entry, 2, [] {}), "isInTransaction");
#endif
}

TEST_F(ElementPatternTest, ReflectionSetsThroughTheSettersAndChecksTypes) {
    UUIDMap const map = UUIDMap::create(model);
    map->insertPair(id(1), id(10));
    UUIDMapEntry const entry = map->peekEntry(id(1));
    entry->setPropertyValue(Meta::uuidMapEntryKey(), makeValue(id(2)), korm::zero::PUBLIC_ACCESS);
    EXPECT_TRUE(map->hasKey(id(2))) << "a key set by reflection re-files the entry";
    EXPECT_THROW(entry->setPropertyValue(Meta::uuidMapEntryValue(), makeValue(true),
                                         korm::zero::PUBLIC_ACCESS),
                 Exception<messages::CannotCastIncompatibleTypes>);
    EXPECT_EQ(entry->getValue(), id(10));
}

TEST_F(ElementPatternTest, PairsAreResolvedUnlessTheTagSaysNot) {
    UUIDMap const map = UUIDMap::create(model);
    UUIDMapEntry const target = UUIDMapEntry::create(model);
    target->setKey(id(1));
    auto transaction = model.beginTransaction();
    UUIDMap::Impl::Pairs& pairs = map->getPairsMutable();
    pairs.insert(proxyFor(model, target), korm::zero::CollisionResolution::REPORT);
    EXPECT_FALSE(map->hasPropertyValue(Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS))
        << "proxies do not count as pairs";
    for (auto tag : {korm::zero::NO_PROXY_RESOLVE, korm::zero::IN_MEMORY_ONLY}) {
        Value const value = map->getPropertyValue(Meta::uuidMapPairs(), tag);
        EXPECT_EQ(collectionIn(value), &pairs) << "the value refers to the collection itself";
        EXPECT_TRUE(pairs.empty());
    }
    map->getPropertyValue(Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS);
    EXPECT_FALSE(pairs.empty());
    EXPECT_EQ(map->peekEntry(id(1)), target);
}

TEST_F(ElementPatternTest, OldPairsAreSavedAndComparedByWhatTheyHold) {
    // The number of entries, and whether the "Pairs" bit survives revertUnchanged.
    for (auto const& [count, staysChanged] : {std::pair{0, false}, {1, false}, {2, true}}) {
        SCOPED_TRACE(count);
        UUIDMap const map = UUIDMap::create(model);
        for (int i = 0; i < count; ++i) {
            map->insertPair(id(static_cast<std::uint8_t>(i + 1)), id(9));
        }
        auto storage = map->createStorage();
        map->copyValue(*storage, 1);
        storage->setChanged(1);
        Value const old = storage->getOldValue(Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS);
        ASSERT_NE(collectionIn(old), nullptr);
        EXPECT_EQ(collectionIn(old)->getAllValues().size(), static_cast<std::size_t>(count));
        storage->revertUnchanged(*map);
        EXPECT_EQ(storage->isChanged(1), staysChanged);
    }
}

TEST_F(ElementPatternTest, EntryOldValuesRestoreAndRevert) {
    UUIDMapEntry const entry = UUIDMapEntry::create(model);
    entry->setValue(id(5));
    auto storage = entry->createStorage();
    entry->copyValue(*storage, 2);
    storage->setChanged(2);
    storage->revertUnchanged(*entry);
    EXPECT_FALSE(storage->isChanged(2));
    storage->setChanged(2);
    entry->setValue(id(6));
    EXPECT_EQ(
        storage->getOldValue(Meta::uuidMapEntryValue(), korm::zero::PUBLIC_ACCESS).getValue<uuid>(),
        id(5));
    entry->copyStateFromStorage(*storage);
    EXPECT_EQ(entry->getValue(), id(5));
}

TEST_F(ElementPatternTest, DestroyingAMapDestroysItsEntriesAndLeavesItsProxies) {
    UUIDMap const map = UUIDMap::create(model);
    UUIDMapEntry const target = UUIDMapEntry::create(model);
    target->setKey(id(7));
    map->insertPair(id(1), id(10));
    UUIDMapEntry const entry = map->peekEntry(id(1));
    UUIDMapEntry const proxy = proxyFor(model, target);
    auto transaction = model.beginTransaction();
    map->getPairsMutable().insert(proxy, korm::zero::CollisionResolution::REPORT);
    map->destroy();
    transaction.commit();
    EXPECT_FALSE(map);
    EXPECT_FALSE(entry);
    EXPECT_TRUE(proxy) << "a proxy is let go, not destroyed";
    EXPECT_TRUE(target) << "nor is what it stands for";
    model.undo();
    EXPECT_TRUE(map);
    EXPECT_TRUE(entry);
    EXPECT_EQ(pairsOf(map), "1:10 ");
}

TEST_F(ElementPatternTest, AnEntryOwnsItsInnerMap) {
    UUIDToUUIDMapEntry const outer = UUIDToUUIDMapEntry::create(model);
    UUIDMap const first = UUIDMap::create(model);
    UUIDMap const second = UUIDMap::create(model);
    outer->setValue(first);
    EXPECT_EQ(first->basicContainer(), outer.getImpl());
    outer->setValue(second);
    EXPECT_EQ(first->basicContainer(), nullptr) << "released, not destroyed";
    EXPECT_TRUE(first);
    Value const value =
        outer->getPropertyValue(Meta::uuidToUUIDMapEntryValue(), korm::zero::PUBLIC_ACCESS);
    EXPECT_EQ(value.getValue<UUIDMap>(), second);
    EXPECT_EQ(value, makeValue(UUIDMap(second)));
    EXPECT_FALSE(value == makeValue(UUIDMap(first)));

    outer->destroy();
    EXPECT_FALSE(second);
    model.undo();
    EXPECT_TRUE(second);
    EXPECT_EQ(outer->getValue(), second);
}

TEST_F(ElementPatternTest, AMapValueChecksTheClass) {
    UUIDToUUIDMap const twoLevel = UUIDToUUIDMap::create(model);
    Value::Operations operations;
    operations.deleter = &detail::elementHandleDeleter<korm::zero::ModelElement>;
    Value const wrong = detail::makeElementValue(korm::zero::meta::Type(UUIDToUUIDMap::metaClass()),
                                                 korm::zero::ModelElement(twoLevel), operations);
    EXPECT_THROW(wrong.getValue<UUIDMap>(), Exception<messages::CannotCastIncompatibleTypes>);
    EXPECT_EQ(makeValue(UUIDMap()).hash(), 0U);
}

}  // namespace
}  // namespace arvex::utilities::test
