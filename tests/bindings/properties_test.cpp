// Property accessors from the host.

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

using Properties = BindingsTest;

TEST_F(Properties, KeyAndValueTravelAsUUIDText) {
    for (char const* cls : {EntryClass, TwoLevelEntryClass}) {
        SCOPED_TRACE(cls);
        Value const entry = make(cls);
        host::setProperty(entry.get(), "Key", text("ABCDEF00-0000-0000-0000-00000000000F").get());
        EXPECT_EQ(textOf(host::getProperty(entry.get(), "Key")),
                  "abcdef00-0000-0000-0000-00000000000f");
        for (std::string const& bad : {std::string(K1) + " ", std::string(BAD), std::string()}) {
            EXPECT_HOST_ERROR(host::setProperty(entry.get(), "Key", text(bad).get()),
                              "korm0:messages:InvalidValue");
        }
        EXPECT_EQ(textOf(host::getProperty(entry.get(), "Key")),
                  "abcdef00-0000-0000-0000-00000000000f");
        callNone(entry, "destroy");
    }
    Value const entry = make(EntryClass);
    host::setProperty(entry.get(), "Value", text(V1).get());
    EXPECT_EQ(textOf(host::getProperty(entry.get(), "Value")), V1);
    EXPECT_HOST_ERROR(host::setProperty(entry.get(), "Value", text(BAD).get()),
                      "korm0:messages:InvalidValue");
    EXPECT_EQ(textOf(host::getProperty(entry.get(), "Value")), V1);
}

TEST_F(Properties, TheInnerMapValueIsSetAndReadAsAnObject) {
    Value const entry = make(TwoLevelEntryClass);
    Value const none = host::getProperty(entry.get(), "Value");
    EXPECT_EQ(zvGetElementCount(none.get()), 0u);
    EXPECT_EQ(host::className(none.get()), MapClass);

    Value const inner = make(MapClass);
    host::setProperty(entry.get(), "Value", inner.get());
    Value const read = host::getProperty(entry.get(), "Value");
    EXPECT_EQ(omGetArrayElement(read.get(), 0), omGetArrayElement(inner.get(), 0));
    host::setProperty(entry.get(), "Value", none.get());
    EXPECT_EQ(zvGetElementCount(host::getProperty(entry.get(), "Value").get()), 0u);
}

TEST_F(Properties, PairsIsALiveViewNamedAfterItsCollectionKind) {
    struct Case {
        char const* cls;
        char const* view;
    };
    for (auto const& c :
         {Case{MapClass, "korm.zero.Map"}, Case{MultiMapClass, "korm.zero.Multimap"},
          Case{TwoLevelClass, "korm.zero.Map"}}) {
        SCOPED_TRACE(c.cls);
        Value const map = make(c.cls);
        Value const pairs = host::getProperty(map.get(), "Pairs");
        EXPECT_EQ(host::className(pairs.get()), c.view);
        EXPECT_EQ(zvGetDouble(callOne(pairs, "size").get(), 0), 0.0);
        if (std::string(c.cls) == TwoLevelClass) {
            callNone(map, "insertPair", {text(K1).get(), text(K2).get(), text(V1).get()});
        } else {
            callNone(map, "insertPair", {text(K1).get(), text(V1).get()});
        }
        EXPECT_EQ(cellTexts(callOne(pairs, "keys")), std::vector<std::string>{K1});
    }
    // The view keeps its map alive after the map's own object is gone.
    Value pairs;
    {
        Value const map = make(MapClass);
        callNone(map, "insertPair", {text(K1).get(), text(V1).get()});
        pairs = host::getProperty(map.get(), "Pairs");
    }
    EXPECT_EQ(zvGetDouble(callOne(pairs, "size").get(), 0), 1.0);
    EXPECT_EQ(host::describeClass(MapClass).members.at(2).type, "korm.zero.Set");
}

}  // namespace
}  // namespace bindings_test
