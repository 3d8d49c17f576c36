#include "korm/zero/uuid_text.hpp"

#include <boost/uuid/uuid_io.hpp>
#include <cstddef>
#include <cstdint>

namespace korm::zero {

namespace {

constexpr std::size_t kTextLength = 36;

constexpr bool hyphenAt(std::size_t i) noexcept {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

constexpr bool isHexDigit(char32_t c) noexcept {
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
}

/// The value of a hexadecimal digit (one that isHexDigit accepts).
constexpr std::uint8_t hexValue(char32_t c) noexcept {
    return static_cast<std::uint8_t>(c <= U'9' ? c - U'0' : (c | 0x20) - U'a' + 10);
}

/// Checks the form and decodes the digits in one pass. (Boost's string_generator, which reads
/// the same form and more, measured as a tenth of a whole scripting call: it searches a table
/// of digits for each character and throws on the first bad one.)
template <class Char>
std::optional<boost::uuids::uuid> parse(std::basic_string_view<Char> text) {
    if (text.size() != kTextLength) {
        return std::nullopt;
    }
    boost::uuids::uuid id{};
    std::size_t digit = 0;
    for (std::size_t i = 0; i < kTextLength; ++i) {
        auto const c = static_cast<char32_t>(text[i]);
        if (hyphenAt(i)) {
            if (c != U'-') {
                return std::nullopt;
            }
            continue;
        }
        if (!isHexDigit(c)) {
            return std::nullopt;
        }
        id.data[digit / 2] = static_cast<std::uint8_t>(id.data[digit / 2] << 4 | hexValue(c));
        ++digit;
    }
    return id;
}

}  // namespace

std::optional<boost::uuids::uuid> parseUuidText(std::string_view text) {
    return parse(text);
}

std::optional<boost::uuids::uuid> parseUuidText(std::u16string_view text) {
    return parse(text);
}

std::string uuidText(boost::uuids::uuid const& id) {
    return boost::uuids::to_string(id);
}

std::u16string uuidText16(boost::uuids::uuid const& id) {
    std::string const narrow = boost::uuids::to_string(id);
    return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace korm::zero
