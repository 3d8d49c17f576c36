#include "tarsk/core/text.hpp"

#include <gtest/gtest.h>

#include "tarsk/core/except/exception.hpp"

namespace {

using tarsk::core::except::Exception;
using tarsk::core::text::IllFormedText;
using tarsk::core::text::isWellFormed;
using tarsk::core::text::toUtf16;
using tarsk::core::text::toUtf8;
using tarsk::core::text::toUtf8Lossy;

TEST(TextConversion, RoundTripsValidUtf16) {
    for (std::u16string_view const s :
         {u"", u"plain", u"a/b//c", u"\u00e9\u6a21\u578b", u"\U0001F600x", u"\uFFFF\U0010FFFF"}) {
        EXPECT_TRUE(isWellFormed(s));
        EXPECT_EQ(toUtf16(toUtf8(s)), s);
        EXPECT_EQ(toUtf8Lossy(s), toUtf8(s));
    }
    EXPECT_EQ(toUtf8(u"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(toUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(toUtf16("\xe6\xa8\xa1"), u"\u6a21");
}

// An unpaired surrogate used to be dropped, so that ill-formed text could pass for a valid one
// (a UUID, a class name). Now the strict conversions refuse it, naming the unit and where it is.
TEST(TextConversion, RefusesIllFormedUtf16) {
    std::u16string const lowAlone{u'a', 0xDC00, u'b'};
    std::u16string const highAlone{u'a', 0xD800, u'b'};
    std::u16string const highAtEnd{u'a', 0xDBFF};
    for (std::u16string const& s : {lowAlone, highAlone, highAtEnd}) {
        EXPECT_FALSE(isWellFormed(s));
        EXPECT_THROW(toUtf8(s), Exception<IllFormedText>);
    }
    try {
        toUtf8(lowAlone);
    } catch (Exception<IllFormedText> const& e) {
        EXPECT_STREQ(e.what(),
                     "tarsk:core:IllFormedText: The text is not well-formed UTF-16: the code unit "
                     "0xDC00 at position 1 is not part of a valid sequence.");
    }
    // For display only: each stray unit shows as U+FFFD.
    EXPECT_EQ(toUtf8Lossy(highAlone),
              "a\xef\xbf\xbd"
              "b");
}

TEST(TextConversion, RefusesIllFormedUtf8) {
    for (std::string const& bad : {
             std::string("a\xff"),             // no lead byte
             std::string("\x80"),              // a continuation alone
             std::string("\xc3"),              // cut short
             std::string("\xc0\xaf"),          // overlong
             std::string("\xe0\x80\xaf"),      // overlong
             std::string("\xed\xa0\x80"),      // an encoded surrogate
             std::string("\xf4\x90\x80\x80"),  // beyond U+10FFFF
             std::string("\xe6\xa8"
                         "a"),  // a lead without its continuation
         }) {
        EXPECT_THROW(toUtf16(bad), Exception<IllFormedText>) << bad;
    }
}

}  // namespace
