#include "tarsk/core/text.hpp"

#include <gtest/gtest.h>

namespace {

using tarsk::core::text::toUtf16;
using tarsk::core::text::toUtf8;

TEST(TextConversion, RoundTripsValidUtf16) {
    for (std::u16string const s :
         {u"", u"plain", u"a/b//c", u"\u00e9\u6a21\u578b", u"\U0001F600x"}) {
        EXPECT_EQ(toUtf16(toUtf8(s)), s);
    }
}

TEST(TextConversion, ProducesUtf8Bytes) {
    EXPECT_EQ(toUtf8(u"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(toUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(toUtf16("\xe6\xa8\xa1"), u"\u6a21");
}

TEST(TextConversion, DropsInvalidSequencesWithoutThrowing) {
    EXPECT_EQ(toUtf8(std::u16string{u'a', 0xDC00, u'b'}), "ab");
    EXPECT_EQ(toUtf16("a\xff"
                      "b"),
              u"ab");
    // A high surrogate with no low one after it may take its neighbour along; what comes
    // before it survives.
    EXPECT_EQ(toUtf8(std::u16string{u'a', 0xD800, u'b'}).substr(0, 1), "a");
}

}  // namespace
