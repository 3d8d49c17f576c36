// Refused inputs from the host: text that is not well-formed UTF-16 is no UUID, whichever
// door it comes in by, and every refusal reads as a whole sentence naming what was refused.

#include <functional>

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

using Refusals = BindingsTest;

// Texts that a conversion dropping unpaired surrogates turned into the UUID text
// 6f1c2a3b-0000-4000-8000-000000000001: a stray low surrogate, and a high surrogate that took
// the code unit after it along.
std::vector<std::u16string> illFormedUuidTexts() {
    std::u16string const low =
        u"6f1c2a3b-0" + std::u16string(1, char16_t(0xDC00)) + u"000-4000-8000-000000000001";
    std::u16string const high =
        u"6f1c2a3b-0" + std::u16string(1, char16_t(0xD800)) + u"x000-4000-8000-000000000001";
    return {low, high};
}
constexpr char const* kLookalike = "6f1c2a3b-0000-4000-8000-000000000001";

Value text16(std::u16string const& units) {
    return Value(zvCreateString_UTF16(units));
}

Value keyStruct(std::u16string const& key) {
    Value init(zvCreateStruct({"Key"}));
    zvSetField(init.get(), 0, "Key", zvCreateString_UTF16(key));
    return init;
}

std::string hostErrorText(std::function<void()> const& call) {
    try {
        call();
    } catch (olan::HostError const& error) {
        return error.what();
    }
    ADD_FAILURE() << "nothing raised";
    return {};
}

TEST_F(Refusals, IllFormedUtf16IsNoUuidText) {
    Value const map = make(MapClass);
    callNone(map, "insertPair", {text(kLookalike).get(), text(V1).get()});
    Value const entry =
        callOne(host::getProperty(map.get(), "Pairs"), "get", {text(kLookalike).get()});
    Value const multi = make(MultiMapClass);
    for (std::u16string const& bad : illFormedUuidTexts()) {
        Value const input = text16(bad);
        EXPECT_HOST_ERROR(callOne(map, "hasKey", {input.get()}), "bad_lexical_cast");
        EXPECT_HOST_ERROR(callNone(multi, "insertPair", {input.get(), text(V1).get()}),
                          "bad_lexical_cast");
        EXPECT_HOST_ERROR(host::setProperty(entry.get(), "Value", input.get()),
                          "korm0:messages:InvalidValue");
        EXPECT_HOST_ERROR(make(EntryClass, {input.get()}), "korm0:messages:InvalidValue");
        EXPECT_HOST_ERROR(make(EntryClass, {keyStruct(bad).get()}), "korm0:messages:InvalidValue");
        EXPECT_HOST_ERROR(callOne(multi, "createIntoPairs", {input.get()}),
                          "korm0:messages:InvalidValue");
        EXPECT_HOST_ERROR(callOne(model, "findElement", {input.get()}),
                          "korm0:messages:InvalidValue");
        EXPECT_HOST_ERROR(callOne(host::getProperty(map.get(), "Pairs"), "hasKey", {input.get()}),
                          "korm0:messages:InvalidValue");
    }
    EXPECT_EQ(textOf(host::getProperty(entry.get(), "Value")), V1);
    EXPECT_EQ(zvGetDouble(callOne(host::getProperty(multi.get(), "Pairs"), "size").get(), 0), 0.0);
}

TEST_F(Refusals, NameTheRefusedValueInAWholeSentence) {
    Value const map = make(MapClass);
    Value const entry = make(EntryClass);
    Value const pairs = host::getProperty(map.get(), "Pairs");
    Value const bad = text16(illFormedUuidTexts()[0]);
    struct Case {
        std::function<void()> call;
        char const* expected;
    };
    Case const cases[] = {
        {[&] { host::setProperty(entry.get(), "Key", text(BAD).get()); },
         "The value \"not-a-uuid\" is not valid as the new Key: UUID text is 32 hexadecimal "
         "digits with hyphens after the 8th, 12th, 16th and 20th."},
        {[&] { host::setProperty(entry.get(), "Key", bad.get()); },
         "The value \"6f1c2a3b-0\xef\xbf\xbd"
         "000-4000-8000-000000000001\" is not valid as the "
         "new Key"},
        {[&] {
             make(MapClass, {text(K1).get(), text(K2).get()});
         },
         "The value \"00000000-0000-0000-0000-000000000002\" is not valid as the input 3 of the "
         "constructor of arvex.utilities.UUIDMap: after the model come at most"},
        {[&] {
             callOne(map, "createIntoPairs", {text(K1).get(), structOf({}).get()});
         },
         "The value \"00000000-0000-0000-0000-000000000001\" is not valid as the input 2 of a "
         "createInto method making an element of class arvex.utilities.UUIDMapEntry"},
        {[&] { callOne(pairs, "get", {Value(zvCreateDouble(2)).get()}); },
         "The value 2 is not valid as the key: UUID text is"},
        {[&] { callNone(model, "commit"); },
         "The value 0 is not valid as the count of open transactions of model"},
    };
    for (Case const& c : cases) {
        std::string const what = hostErrorText(c.call);
        EXPECT_EQ(what.rfind(c.expected, 0), 0u) << what;
        EXPECT_EQ(what.find('{'), std::string::npos) << what;
    }
}

}  // namespace
}  // namespace bindings_test
