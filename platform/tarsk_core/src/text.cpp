#include "tarsk/core/text.hpp"

#include <boost/locale/utf.hpp>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <type_traits>

#include "tarsk/core/except/exception.hpp"

namespace tarsk::core::text {

namespace {

namespace utf = boost::locale::utf;

constexpr utf::code_point kReplacement = 0xFFFD;

std::string hexCodeUnit(unsigned unit, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, unit);
    return buffer;
}

/// Converts `text` code point by code point with Boost.Locale's UTF decoder and encoder. A code
/// unit that starts no well-formed sequence (the decoder refuses unpaired surrogates, overlong
/// forms, encoded surrogates and code points beyond U+10FFFF) is handed to
/// `onIllFormed(unit, position)`, which throws or gives the code point to write in its place;
/// decoding then resumes at the next code unit.
template <class To, class From, class OnIllFormed>
std::basic_string<To> convert(std::basic_string_view<From> text, OnIllFormed onIllFormed) {
    std::basic_string<To> out;
    out.reserve(text.size());
    auto it = text.begin();
    while (it != text.end()) {
        auto const start = it;
        utf::code_point cp = utf::utf_traits<From>::decode(it, text.end());
        if (cp == utf::illegal || cp == utf::incomplete) {
            it = start + 1;
            cp = onIllFormed(static_cast<unsigned>(static_cast<std::make_unsigned_t<From>>(*start)),
                             static_cast<std::size_t>(start - text.begin()));
        }
        utf::utf_traits<To>::encode(cp, std::back_inserter(out));
    }
    return out;
}

[[noreturn]] void refuse(std::string_view encoding, unsigned unit, std::size_t position) {
    throw except::Exception<IllFormedText>(IllFormedText(encoding, unit, position));
}

}  // namespace

IllFormedText::IllFormedText(std::string_view encoding, unsigned codeUnit, std::size_t position)
    : Message(COMPONENT, KEY, PATTERN,
              {std::string(encoding), hexCodeUnit(codeUnit, encoding == "UTF-8" ? 2 : 4),
               static_cast<std::int64_t>(position)}) {}

bool isWellFormed(std::u16string_view text) noexcept {
    auto it = text.begin();
    while (it != text.end()) {
        utf::code_point const cp = utf::utf_traits<char16_t>::decode(it, text.end());
        if (cp == utf::illegal || cp == utf::incomplete) {
            return false;
        }
    }
    return true;
}

std::string toUtf8(std::u16string_view text) {
    return convert<char>(text, [](unsigned unit, std::size_t position) -> utf::code_point {
        refuse("UTF-16", unit, position);
    });
}

std::string toUtf8Lossy(std::u16string_view text) {
    return convert<char>(text, [](unsigned, std::size_t) { return kReplacement; });
}

std::u16string toUtf16(std::string_view text) {
    return convert<char16_t>(text, [](unsigned unit, std::size_t position) -> utf::code_point {
        refuse("UTF-8", unit, position);
    });
}

}  // namespace tarsk::core::text
