#include "arvex/utilities/fullpath.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/uuid/string_generator.hpp>
#include <boost/uuid/uuid_hash.hpp>
#include <string>
#include <vector>

namespace {

using arvex::utilities::fullpath::getComponentNames;
using arvex::utilities::fullpath::getNameWithEscCharacters;
using arvex::utilities::fullpath::getUUIDPathHash;
using arvex::utilities::fullpath::isSourcePathDescendantOfTargetPath;
using boost::uuids::uuid;
using Names = std::vector<std::u16string>;
using ::testing::ElementsAre;

uuid id(char const* text) {
    return boost::uuids::string_generator{}(text);
}

uuid const A = id("0b1c6c7e-94c7-4ac3-9d7e-2d7b0f1a9e01");
uuid const B = id("5f0e7a3c-1d2b-4e8f-a6b9-c0d1e2f3a4b5");
uuid const C = id("ffffffff-0000-ffff-0000-ffffffffffff");
uuid const Nil{};

struct SplitCase {
    std::u16string path;
    Names names;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, GivesExpectedNames) {
    EXPECT_EQ(getComponentNames(GetParam().path), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(PlainAndEdgeSeparators, SplitTest,
                         ::testing::Values(SplitCase{u"", {u""}}, SplitCase{u"abc", {u"abc"}},
                                           SplitCase{u"a/b/c", {u"a", u"b", u"c"}},
                                           SplitCase{u"/a", {u"", u"a"}},
                                           SplitCase{u"a/", {u"a", u""}},
                                           SplitCase{u"/", {u"", u""}},
                                           SplitCase{u"a b / c", {u"a b ", u" c"}}));

// Runs of two to five slashes, alone, between names and at both ends.
INSTANTIATE_TEST_SUITE_P(
    SlashRuns, SplitTest,
    ::testing::Values(SplitCase{u"//", {u"/"}}, SplitCase{u"/////", {u"//", u""}},
                      SplitCase{u"a///b", {u"a/", u"b"}}, SplitCase{u"a////b", {u"a//b"}},
                      SplitCase{u"///a", {u"/", u"a"}}, SplitCase{u"a//b/c//", {u"a/b", u"c/"}},
                      SplitCase{u"/a/b//c/", {u"", u"a", u"b/c", u""}}));

// Names outside ASCII, including a surrogate pair, and unpaired surrogates, which are not
// valid UTF-16 and must come through unchanged.
INSTANTIATE_TEST_SUITE_P(
    NonAscii, SplitTest,
    ::testing::Values(SplitCase{u"Motor\u00e9/\u6a21\u578b", {u"Motor\u00e9", u"\u6a21\u578b"}},
                      SplitCase{u"\U0001F600//x/y", {u"\U0001F600/x", u"y"}},
                      SplitCase{std::u16string{u'a', 0xD800, u'/', 0xDC00, u'b'},
                                {std::u16string{u'a', 0xD800}, std::u16string{0xDC00, u'b'}}},
                      SplitCase{std::u16string{0xDFFF, u'/', u'/', 0xD83D},
                                {std::u16string{0xDFFF, u'/', 0xD83D}}}));

TEST(NameUnescaping, PairsSlashesFromTheLeft) {
    EXPECT_EQ(getNameWithEscCharacters(u""), u"");
    EXPECT_EQ(getNameWithEscCharacters(u"/"), u"/");
    EXPECT_EQ(getNameWithEscCharacters(u"a///b"), u"a//b");
    EXPECT_EQ(getNameWithEscCharacters(u"a/////b"), u"a///b");
    EXPECT_EQ(getNameWithEscCharacters(u"\U0001F600//x//"), u"\U0001F600/x/");
}

// The hash of a path is the XOR of Boost's per-UUID hashes (on a 64-bit size_t the same
// combine over the 16 bytes): order-free, and a UUID twice cancels out.
TEST(UUIDPathHash, IsAnOrderFreeXorOfBoostUuidHashes) {
    static_assert(sizeof(std::size_t) == 8);
    EXPECT_EQ(getUUIDPathHash({}), 0u);
    EXPECT_EQ(getUUIDPathHash({Nil}), 0xf3b95195c79f012fULL);
    EXPECT_EQ(getUUIDPathHash({A, B, A}), getUUIDPathHash({B}));
    EXPECT_EQ(getUUIDPathHash({A, B, C}), getUUIDPathHash({C, A, B}));
    EXPECT_NE(getUUIDPathHash({A, B}), getUUIDPathHash({A, C}));
    for (auto const& path : std::vector<std::vector<uuid>>{{A}, {C}, {A, B, C}, {Nil, C}}) {
        std::uint64_t expected = 0;
        for (auto const& u : path) {
            expected ^= boost::uuids::hash_value(u);
        }
        EXPECT_EQ(getUUIDPathHash(path), expected);
    }
}

TEST(Ancestry, TargetMustBeAProperPrefix) {
    struct Case {
        std::vector<uuid> source, target;
        bool descendant;
    };
    std::vector<Case> const cases{
        {{A, B}, {A}, true},     {{A}, {A}, false},         {{A}, {}, true},
        {{}, {}, false},         {{}, {A}, false},          {{A, B}, {B}, false},
        {{A}, {A, B}, false},    {{A, B, C}, {A, B}, true}, {{A, B, C}, {A, C}, false},
        {{Nil, A}, {Nil}, true}, {{A, B}, {A, B}, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(isSourcePathDescendantOfTargetPath(c.source, c.target), c.descendant)
            << "source size " << c.source.size() << ", target size " << c.target.size();
    }
}

TEST(Ancestry, ComparesWholeUuids) {
    // Differ only in the last byte: a prefix test that stopped early would say true.
    uuid almostA = A;
    almostA.data[15] ^= 1;
    EXPECT_FALSE(isSourcePathDescendantOfTargetPath({A, B}, {almostA}));
}

}  // namespace
