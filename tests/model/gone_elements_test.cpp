// Elements that are gone (destroyed, erased, their creation undone or rolled back, their model
// closed) refuse every change with CannotModifyRemovedElement and change nothing; their queries
// answer as empty.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using boost::uuids::nil_uuid;
using korm::zero::Model;

/// One of each class, all live, with one pair in each map; `inner` is the two-level map's
/// inner map.
struct Elements {
    UUIDMap map;
    UUIDMultiMap multi;
    UUIDToUUIDMap twoLevel;
    UUIDMapEntry entry;        // filed in `map` under 1
    UUIDToUUIDMapEntry outer;  // filed in `twoLevel` under 1
    UUIDMap inner;
};

Elements makeElements(Model const& model) {
    Elements e;
    auto transaction = model.beginTransaction();
    e.map = UUIDMap::create(model);
    e.map->insertPair(id(1), id(10));
    e.multi = UUIDMultiMap::create(model);
    e.multi->insertPair(id(1), id(10));
    e.twoLevel = UUIDToUUIDMap::create(model);
    e.twoLevel->insertPair(id(1), id(2), id(20));
    transaction.commit();
    e.entry = e.map->peekEntry(id(1));
    e.inner = e.twoLevel->findValueForKey(id(1));
    e.outer = UUIDToUUIDMapEntry(static_cast<UUIDToUUIDMapEntry::Impl*>(e.inner->basicContainer()));
    return e;
}

/// Every change the classes offer, on the elements of `e`.
std::vector<std::function<void()>> changesOf(Elements const& e) {
    return {
        [&] { e.map->insertPair(id(5), id(50)); },
        [&] { e.map->erasePairForKey(id(1)); },
        [&] { e.map->erasePairsForValue(id(10)); },
        [&] { e.multi->insertPair(id(5), id(50)); },
        [&] { e.multi->erasePairsForKey(id(1)); },
        [&] { e.multi->erasePairsKeyAndValue(id(1), id(10)); },
        [&] { e.multi->erasePairsForValue(id(10)); },
        [&] { e.twoLevel->insertPair(id(5), id(6), id(60)); },
        [&] { e.twoLevel->erasePairForKey(id(1)); },
        [&] { e.twoLevel->erasePairForKeys(id(1), id(2)); },
        [&] { e.entry->setKey(id(7)); },
        [&] { e.entry->setValue(id(7)); },
        [&] { e.entry->setKey(e.entry->getKey()); },  // even an unchanged value is refused
        [&] { e.outer->setKey(id(7)); },
        [&] { e.outer->setValue(UUIDMap()); },
        [&] { e.outer->createIntoValue(std::make_unique<UUIDMap::Builder>(), nil_uuid()); },
        [&] { e.map->createIntoPairs(std::make_unique<UUIDMapEntry::Builder>(), nil_uuid()); },
        [&] {
            e.entry->setPropertyValue(detail::Meta::uuidMapEntryKey(), makeValue(id(8)),
                                      korm::zero::PUBLIC_ACCESS);
        },
    };
}

/// The ways an element can go; each makes every element of a fresh model gone, and says
/// whether the model is still there to compare against.
struct Going {
    char const* name;
    std::function<void(Model&, Elements&)> go;
};

std::vector<Going> const GOINGS = {
    {"destroyed",
     [](Model&, Elements& e) {
         e.entry->destroy();  // erased from its map first, then the maps go with what they own
         e.map->destroy();
         e.multi->destroy();
         e.twoLevel->destroy();
     }},
    {"creation undone, history dropped",
     [](Model& model, Elements&) {
         model.undo();
         UUIDMap::create(model);  // a new step drops the redo history that could revive them
     }},
    {"creation undone, redo kept", [](Model& model, Elements&) { model.undo(); }},
    {"model closed", [](Model& model, Elements&) { model = Model(); }},
};

TEST(GoneElementsTest, EveryChangeIsRefusedAndChangesNothing) {
    for (Going const& going : GOINGS) {
        SCOPED_TRACE(going.name);
        Model model = Model::create();
        Elements e = makeElements(model);
        going.go(model, e);
        std::size_t const elements = model ? model->getElementCount() : 0;
        std::size_t const undoSteps = model ? model->getUndoCount() : 0;
        std::size_t const redoSteps = model ? model->getRedoCount() : 0;
        auto const changes = changesOf(e);
        for (std::size_t i = 0; i < changes.size(); ++i) {
            EXPECT_THROW(changes[i](), Exception<messages::CannotModifyRemovedElement>) << i;
        }
        if (model) {
            EXPECT_EQ(model->getElementCount(), elements);
            EXPECT_EQ(model->getUndoCount(), undoSteps);
            EXPECT_EQ(model->getRedoCount(), redoSteps);
            EXPECT_FALSE(model->isInTransaction());
        }
        // Queries answer as for an empty map, and an entry keeps its values.
        EXPECT_FALSE(e.map->hasKey(id(1)));
        EXPECT_EQ(e.map->findValueForKey(id(1)), nil_uuid());
        EXPECT_TRUE(e.multi->findValuesForKey(id(1)).empty());
        EXPECT_FALSE(e.twoLevel->findValueForKey(id(1)));
        EXPECT_TRUE(e.twoLevel->findValuesWithSubKey(id(2)).empty());
        EXPECT_FALSE(
            e.map->hasPropertyValue(detail::Meta::uuidMapPairs(), korm::zero::PUBLIC_ACCESS));
        EXPECT_EQ(e.entry->getKey(), id(1));
        EXPECT_EQ(e.entry->getValue(), id(10));
        // Destroying again does nothing.
        EXPECT_NO_THROW(e.map->destroy());
    }
}

// Undo brings a refused element back exactly as it went: the refusal left no record behind.
TEST(GoneElementsTest, AnErasedEntryRefusesItsKeyAndUndoFilesItUnderItsOwnKey) {
    Model model = Model::create();
    Elements e = makeElements(model);
    e.map->erasePairForKey(id(1));
    EXPECT_THROW(e.entry->setKey(id(2)), Exception<messages::CannotModifyRemovedElement>);
    EXPECT_THROW(e.entry->setValue(id(3)), Exception<messages::CannotModifyRemovedElement>);
    model.undo();
    EXPECT_EQ(pairsOf(e.map), "1:10 ");
    EXPECT_TRUE(e.map->hasKey(id(1)));
    EXPECT_FALSE(e.map->hasKey(id(2)));
    EXPECT_THROW(e.map->insertPair(id(1), id(4)), Exception<messages::UniquenessConstraint>);
    // Live again, the entry changes as any other.
    e.entry->setKey(id(2));
    EXPECT_EQ(pairsOf(e.map), "2:10 ");
}

// A map-typed value checks the class of the element it holds, not only its declared type.
TEST(GoneElementsTest, AMapValueHoldingAnotherClassIsRefusedWhenRead) {
    Model model = Model::create();
    UUIDMultiMap const multi = UUIDMultiMap::create(model);
    korm::zero::Value::Operations operations;
    operations.deleter = &detail::elementHandleDeleter<korm::zero::ModelElement>;
    korm::zero::Value const disguised = detail::makeElementValue(
        korm::zero::meta::Type(UUIDMap::metaClass()), korm::zero::ModelElement(multi), operations);
    EXPECT_THROW(disguised.getValue<UUIDMap>(), Exception<messages::CannotCastIncompatibleTypes>);
}

}  // namespace
}  // namespace arvex::utilities::test
