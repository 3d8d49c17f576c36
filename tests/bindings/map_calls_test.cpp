// Calls of the map methods from the host.

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

using MapCalls = BindingsTest;

TEST_F(MapCalls, UUIDMapInsertsFindsAndErases) {
    Value const map = make(MapClass);
    callNone(map, "insertPair", {text(K1).get(), text(V1).get()});
    callNone(map, "insertPair", {text(K2).get(), text(V1).get()});
    EXPECT_TRUE(flagOf(callOne(map, "hasKey", {text(K1).get()})));
    // Upper-case input is read; output is lower case.
    EXPECT_EQ(textOf(callOne(map, "findValueForKey",
                             {text("00000000-0000-0000-0000-00000000000A").get()})),
              NIL);
    EXPECT_EQ(textOf(callOne(map, "findValueForKey", {text(K1).get()})), V1);

    callNone(map, "erasePairForKey", {text(K1).get()});
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K1).get()})));
    callNone(map, "erasePairsForValue", {text(V1).get()});
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K2).get()})));
}

TEST_F(MapCalls, AMalformedLaterInputLeavesTheMapUnchanged) {
    Value const map = make(MapClass);
    EXPECT_HOST_ERROR(callNone(map, "insertPair", {text(K1).get(), text(BAD).get()}),
                      "bad_lexical_cast");
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K1).get()})));
    // Trailing characters after a valid UUID are refused as well.
    EXPECT_HOST_ERROR(callOne(map, "hasKey", {text(std::string(K1) + "x").get()}),
                      "bad_lexical_cast");

    Value const twoLevel = make(TwoLevelClass);
    EXPECT_HOST_ERROR(
        callNone(twoLevel, "insertPair", {text(K1).get(), text(K2).get(), text(BAD).get()}),
        "bad_lexical_cast");
    EXPECT_FALSE(flagOf(callOne(twoLevel, "hasKey", {text(K1).get()})));
}

TEST_F(MapCalls, AnEmptySelfRaisesInvalidHandleBeforeAnyInputIsRead) {
    Value const self(zvCreateEmpty());
    Value const bad = text(BAD);
    struct Call {
        char const* cls;
        char const* method;
        std::size_t inputCount;
    };
    for (auto const& [cls, method, inputCount] :
         {Call{MapClass, "insertPair", 3}, Call{MapClass, "createIntoPairs", 2},
          Call{MultiMapClass, "findValuesForKey", 2}, Call{TwoLevelClass, "insertPair", 4},
          Call{TwoLevelEntryClass, "createIntoValue", 2}}) {
        host::Inputs inputs(inputCount, bad.get());
        inputs[0] = self.get();
        EXPECT_HOST_ERROR(host::call(cls, method, inputs, 0), olan::errors::InvalidHandle);
    }
}

TEST_F(MapCalls, UUIDMultiMapKeepsValuesInInsertionOrder) {
    Value const map = make(MultiMapClass);
    callNone(map, "insertPair", {text(K1).get(), text(V2).get()});
    callNone(map, "insertPair", {text(K1).get(), text(V1).get()});
    callNone(map, "insertPair", {text(K2).get(), text(V1).get()});
    EXPECT_EQ(cellTexts(callOne(map, "findValuesForKey", {text(K1).get()})),
              (std::vector<std::string>{V2, V1}));

    callNone(map, "erasePairsKeyAndValue", {text(K1).get(), text(V2).get()});
    EXPECT_EQ(cellTexts(callOne(map, "findValuesForKey", {text(K1).get()})),
              std::vector<std::string>{V1});
    callNone(map, "erasePairsForValue", {text(V1).get()});
    Value const none = callOne(map, "findValuesForKey", {text(K1).get()});
    EXPECT_EQ(zvGetClassCode(none.get()) & ~zvFlagLent, zvCodeCell);
    EXPECT_EQ(zvGetDimensions(none.get())[0], 1u);
    EXPECT_EQ(zvGetDimensions(none.get())[1], 0u);

    callNone(map, "insertPair", {text(K2).get(), text(V2).get()});
    EXPECT_TRUE(flagOf(callOne(map, "hasKey", {text(K2).get()})));
    callNone(map, "erasePairsForKey", {text(K2).get()});
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K2).get()})));
}

TEST_F(MapCalls, UUIDToUUIDMapHandsOutItsInnerMapsAsObjects) {
    Value const map = make(TwoLevelClass);
    callNone(map, "insertPair", {text(K1).get(), text(K2).get(), text(V1).get()});
    callNone(map, "insertPair", {text(K2).get(), text(K2).get(), text(V2).get()});
    EXPECT_EQ(textOf(callOne(map, "findValueForKeys", {text(K1).get(), text(K2).get()})), V1);
    EXPECT_EQ(cellTexts(callOne(map, "findValuesWithSubKey", {text(K2).get()})),
              (std::vector<std::string>{V1, V2}));

    Value const inner = callOne(map, "findValueForKey", {text(K1).get()});
    EXPECT_EQ(host::className(inner.get()), MapClass);
    EXPECT_EQ(textOf(callOne(inner, "findValueForKey", {text(K2).get()})), V1);
    // The same element gives the same host object.
    Value const again = callOne(map, "findValueForKey", {text(K1).get()});
    EXPECT_EQ(omGetArrayElement(again.get(), 0), omGetArrayElement(inner.get(), 0));

    Value const absent = callOne(map, "findValueForKey", {text(V1).get()});
    EXPECT_EQ(zvGetElementCount(absent.get()), 0u);
    EXPECT_EQ(host::className(absent.get()), MapClass);

    callNone(map, "erasePairForKeys", {text(K2).get(), text(K2).get()});
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K2).get()})));
    callNone(map, "erasePairForKey", {text(K1).get()});
    EXPECT_FALSE(flagOf(callOne(map, "hasKey", {text(K1).get()})));
}

TEST_F(MapCalls, ACallWithoutOutputStillRunsAndCounts) {
    Value const map = make(MapClass);
    callNone(map, "insertPair", {text(K1).get(), text(V1).get()});
    host::CallResult const result = host::callOn(map.get(), "hasKey", {text(K1).get()}, 0);
    EXPECT_EQ(result.outputCount, 1);
    EXPECT_TRUE(result.outputs.empty());
}

TEST_F(MapCalls, GetComponentNamesSplitsANamedPath) {
    auto const result =
        host::call(PathClass, "getComponentNames", {text("top/a//b/leaf").get()}, 1);
    EXPECT_EQ(cellTexts(result.outputs.at(0)), (std::vector<std::string>{"top", "a/b", "leaf"}));
}

}  // namespace
}  // namespace bindings_test
