#include "tarsk/core/text.hpp"

#include <cstdint>
#include <cstdio>

#include "tarsk/core/except/exception.hpp"

namespace tarsk::core::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::string hexCodeUnit(unsigned unit, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, unit);
    return buffer;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Converts UTF-16 to UTF-8; an unpaired surrogate is handed to `onIllFormed(unit, position)`,
// which either throws or gives the code point to write in its place.
template <class OnIllFormed>
std::string utf16ToUtf8(std::u16string_view text, OnIllFormed onIllFormed) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (isHighSurrogate(cp) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00);
            ++i;
        } else if (isHighSurrogate(cp) || isLowSurrogate(cp)) {
            cp = onIllFormed(text[i], i);
        }
        appendUtf8(out, cp);
    }
    return out;
}

[[noreturn]] void refuse(std::string_view encoding, unsigned unit, std::size_t position) {
    throw except::Exception<IllFormedText>(IllFormedText(encoding, unit, position));
}

// The length of the UTF-8 sequence that starts with `lead`, or 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at `at`, or nothing.
// Refuses overlong forms, encoded surrogates and code points beyond U+10FFFF.
bool decodeSequence(std::string_view text, std::size_t at, std::size_t length, char32_t& cp) {
    if (length == 0 || at + length > text.size()) {
        return false;
    }
    auto const lead = static_cast<unsigned char>(text[at]);
    cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        auto const byte = static_cast<unsigned char>(text[at + k]);
        if ((byte & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (byte & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp >= kSmallest[length] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

IllFormedText::IllFormedText(std::string_view encoding, unsigned codeUnit, std::size_t position)
    : Message(COMPONENT, KEY, PATTERN,
              {std::string(encoding), hexCodeUnit(codeUnit, encoding == "UTF-8" ? 2 : 4),
               static_cast<std::int64_t>(position)}) {}

bool isWellFormed(std::u16string_view text) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            ++i;
        } else if (isHighSurrogate(text[i]) || isLowSurrogate(text[i])) {
            return false;
        }
    }
    return true;
}

std::string toUtf8(std::u16string_view text) {
    return utf16ToUtf8(text, [](char16_t unit, std::size_t position) -> char32_t {
        refuse("UTF-16", unit, position);
    });
}

std::string toUtf8Lossy(std::u16string_view text) {
    return utf16ToUtf8(text, [](char16_t, std::size_t) { return kReplacement; });
}

std::u16string toUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t const length = sequenceLength(static_cast<unsigned char>(text[at]));
        char32_t cp = 0;
        if (!decodeSequence(text, at, length, cp)) {
            refuse("UTF-8", static_cast<unsigned char>(text[at]), at);
        }
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        at += length;
    }
    return out;
}

}  // namespace tarsk::core::text
