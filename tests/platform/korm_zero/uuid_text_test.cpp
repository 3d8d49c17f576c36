// UUID text: what is read, what is refused, and that reading undoes writing.

#include <gtest/gtest.h>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <initializer_list>
#include <random>
#include <sstream>
#include <string>

#include "korm/zero/uuid_text.hpp"

namespace korm::zero {
namespace {

TEST(UuidText, ReadsWhatItWritesAndWhatStreamsRead) {
    std::mt19937 engine(7);
    boost::uuids::basic_random_generator<std::mt19937> generate(engine);
    for (int i = 0; i < 200; ++i) {
        boost::uuids::uuid const id = generate();
        std::string const text = uuidText(id);
        EXPECT_EQ(parseUuidText(text), id);
        EXPECT_EQ(parseUuidText(uuidText16(id)), id);
        std::string upper = text;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(parseUuidText(upper), id) << "either case";
        std::ostringstream streamed;
        streamed << id;
        EXPECT_EQ(text, streamed.str());
    }
    EXPECT_EQ(parseUuidText("00000000-0000-0000-0000-000000000000"), boost::uuids::uuid{});
    EXPECT_EQ(uuidText(*parseUuidText("FFFFFFFF-ffff-AbCd-0000-0123456789aF")),
              "ffffffff-ffff-abcd-0000-0123456789af");
}

TEST(UuidText, RefusesEveryOtherForm) {
    std::string const good = "6f1c2a3b-0000-4000-8000-000000000001";
    for (std::string const& bad : std::initializer_list<std::string>{
             std::string(), good.substr(1), good + "0", "{" + good + "}", " " + good.substr(1),
             "6f1c2a3b00000-4000-8000-000000000001", "6f1c2a3b-0000-4000-8000-00000000000g",
             "6f1c2a3-b0000-4000-8000-000000000001", "6f1c2a3b-0000-4000-8000-0000000000-1",
             std::string("6f1c2a3b-0000-4000-8000-00000000000\0", 36)}) {
        EXPECT_FALSE(parseUuidText(bad)) << bad;
    }
    // UTF-16 code units whose low byte is a digit or a hyphen are not digits or hyphens.
    std::u16string wide(good.begin(), good.end());
    EXPECT_TRUE(parseUuidText(wide));
    wide[0] = u'\uff16';  // FULLWIDTH DIGIT SIX
    EXPECT_FALSE(parseUuidText(wide));
    wide[0] = u'6';
    wide[8] = static_cast<char16_t>(0x012d);  // low byte '-'
    EXPECT_FALSE(parseUuidText(wide));
    wide[8] = u'-';
    wide[35] = static_cast<char16_t>(0xd800);  // a lone surrogate
    EXPECT_FALSE(parseUuidText(wide));
}

}  // namespace
}  // namespace korm::zero
