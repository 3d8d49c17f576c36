// Constructors, createInto methods and StaticMetaClass from the host.

#include <array>

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

using Creation = BindingsTest;

TEST_F(Creation, TheConstructorTakesInitStructAndUUIDInEitherOrder) {
    Value const init = structOf({{"Key", K1}, {"Value", V1}});
    Value const k2 = text(K2);
    Value const v2 = text(V2);
    struct Case {
        char const* label;
        host::Inputs extra;
        char const* uuid;  // expected element UUID, or null for a fresh one
    };
    Case const cases[] = {
        {"model", {}, nullptr},
        {"model, struct", {init.get()}, nullptr},
        {"model, uuid", {v2.get()}, V2},
        {"model, struct, uuid", {init.get(), k2.get()}, K2},
        {"model, uuid, struct", {k2.get(), init.get()}, K2},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.label);
        Value const entry = make(EntryClass, c.extra);
        EXPECT_EQ(host::className(entry.get()), EntryClass);
        std::string const id = textOf(host::getProperty(entry.get(), "UUID"));
        if (c.uuid != nullptr) {
            EXPECT_EQ(id, c.uuid);
        } else {
            EXPECT_NE(id, NIL);
        }
        bool const withInit = c.extra.size() == 2 || std::string(c.label) == "model, struct";
        EXPECT_EQ(textOf(host::getProperty(entry.get(), "Key")), withInit ? K1 : NIL);
        callNone(entry, "destroy");
    }
}

TEST_F(Creation, TheConstructorRefusesBadInputs) {
    Value const twoElements(zvCreateStructArray(2, std::array<std::size_t, 2>{1, 2}.data(), {}));
    EXPECT_HOST_ERROR(make(MapClass, {text(K1).get(), text(K2).get()}),
                      "korm0:messages:InvalidValue");
    EXPECT_HOST_ERROR(make(MapClass, {text(K1).get(), twoElements.get()}),
                      "korm0:messages:InvalidValue");
    EXPECT_HOST_ERROR(make(MapClass, {text(BAD).get()}), "korm0:messages:InvalidValue");

    Value const empty(zvCreateEmpty());
    EXPECT_HOST_ERROR(host::construct(MapClass, {empty.get()}),
                      "korm0:messages:CannotCreateWithoutModel");
    Value const closed = host::construct(korm::zero::zi::ModelClassName, {});
    callNone(closed, "close");
    EXPECT_HOST_ERROR(host::construct(MapClass, {closed.get()}),
                      "korm0:messages:CannotCreateWithoutModel");
    EXPECT_EQ(zvGetDouble(callOne(model, "getElementCount").get(), 0), 0.0);
}

TEST_F(Creation, CreateIntoPairsChoosesBuilderAndUUIDFromItsInputs) {
    Value const map = make(MapClass);
    Value const byId = callOne(map, "createIntoPairs", {text(V2).get()});
    EXPECT_EQ(host::className(byId.get()), EntryClass);
    EXPECT_EQ(textOf(host::getProperty(byId.get(), "UUID")), V2);

    Value const byInit = callOne(map, "createIntoPairs", {structOf({{"Key", K1}}).get()});
    EXPECT_NE(textOf(host::getProperty(byInit.get(), "UUID")), NIL);
    EXPECT_TRUE(flagOf(callOne(map, "hasKey", {text(K1).get()})));

    Value const both = callOne(map, "createIntoPairs",
                               {structOf({{"Key", K2}, {"Value", V1}}).get(), text(V1).get()});
    EXPECT_EQ(textOf(host::getProperty(both.get(), "UUID")), V1);
    EXPECT_EQ(textOf(callOne(map, "findValueForKey", {text(K2).get()})), V1);

    EXPECT_HOST_ERROR(callOne(map, "createIntoPairs", {text(K1).get(), structOf({}).get()}),
                      "korm0:messages:InvalidValue");
    // A key held by another entry of the map.
    EXPECT_HOST_ERROR(callOne(map, "createIntoPairs", {structOf({{"Key", K1}}).get()}),
                      "korm0:messages:UniquenessConstraint");
    EXPECT_EQ(cellTexts(callOne(host::getProperty(map.get(), "Pairs"), "keys")).size(), 3u);
}

TEST_F(Creation, AMultimapFilesANewEntryBesideTheOthersOfItsKey) {
    Value const map = make(MultiMapClass);
    callOne(map, "createIntoPairs", {structOf({{"Key", K1}, {"Value", V1}}).get()});
    callOne(map, "createIntoPairs", {structOf({{"Key", K1}, {"Value", V2}}).get()});
    EXPECT_EQ(cellTexts(callOne(map, "findValuesForKey", {text(K1).get()})),
              (std::vector<std::string>{V1, V2}));
}

TEST_F(Creation, TwoLevelEntriesAndTheirInnerMaps) {
    Value const map = make(TwoLevelClass);
    Value const entry = callOne(map, "createIntoPairs", {structOf({{"Key", K1}}).get()});
    EXPECT_EQ(host::className(entry.get()), TwoLevelEntryClass);
    EXPECT_HOST_ERROR(callOne(map, "createIntoPairs", {structOf({{"Key", K1}}).get()}),
                      "korm0:messages:UniquenessConstraint");

    Value const inner = callOne(entry, "createIntoValue", {text(V2).get()});
    EXPECT_EQ(host::className(inner.get()), MapClass);
    callNone(inner, "insertPair", {text(K2).get(), text(V1).get()});
    EXPECT_EQ(textOf(callOne(map, "findValueForKeys", {text(K1).get(), text(K2).get()})), V1);
    Value const viaProperty = host::getProperty(entry.get(), "Value");
    EXPECT_EQ(omGetArrayElement(viaProperty.get(), 0), omGetArrayElement(inner.get(), 0));
}

TEST_F(Creation, StaticMetaClassAnswersEachClassesMetaClassObject) {
    for (char const* cls :
         {PathClass, MapClass, EntryClass, MultiMapClass, TwoLevelClass, TwoLevelEntryClass}) {
        Value const metaClass = std::move(host::call(cls, "StaticMetaClass", {}, 1).outputs.at(0));
        EXPECT_EQ(textOf(host::getProperty(metaClass.get(), "QualifiedName")), cls);
    }
    Value const path = make(PathClass);
    EXPECT_EQ(host::className(path.get()), PathClass);
}

}  // namespace
}  // namespace bindings_test
