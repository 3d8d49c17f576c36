#pragma once

// Text conversion between the platform's UTF-16 strings and their 8-bit (UTF-8) form.
//
// The conversions are strict: text that is not well-formed (an unpaired surrogate in UTF-16; a
// stray, truncated, overlong or out-of-range sequence or an encoded surrogate in UTF-8) is
// refused with IllFormedText. A lenient conversion silently dropped such code units, and the
// text that remained could then pass for a different, valid one: a UUID, or the name of a
// class or property. Callers that turn text into something else use the strict pair and report
// a refusal as invalid input in their own terms.
//
// The one lenient conversion, toUtf8Lossy, is for text that is only shown: message arguments,
// which must be composable even when the argument is the ill-formed input being refused. It
// puts U+FFFD where a code unit was ill-formed, so the text shown never equals a valid text
// that the input was not.

#include <string>
#include <string_view>

#include "tarsk/core/except/message.hpp"
#include "tarsk/core/export.hpp"

namespace tarsk::core::text {

/// The message of a refused conversion: the encoding, the offending code unit and its position.
class TARSK_CORE_EXPORT IllFormedText : public except::Message {
  public:
    static constexpr std::string_view COMPONENT = "tarsk:core";
    static constexpr std::string_view KEY = "IllFormedText";
    static constexpr std::string_view PATTERN =
        "The text is not well-formed {0}: the code unit {1} at position {2} is not part of a "
        "valid sequence.";
    IllFormedText(std::string_view encoding, unsigned codeUnit, std::size_t position);
};

/// Whether `text` is well-formed UTF-16 (every surrogate is one half of a pair).
TARSK_CORE_EXPORT bool isWellFormed(std::u16string_view text) noexcept;

/// UTF-16 to UTF-8. Raises except::Exception<IllFormedText> for an unpaired surrogate.
TARSK_CORE_EXPORT std::string toUtf8(std::u16string_view text);

/// UTF-8 to UTF-16, the inverse of toUtf8: toUtf16(toUtf8(s)) == s for every well-formed s.
/// Raises except::Exception<IllFormedText> for bytes that are not well-formed UTF-8.
TARSK_CORE_EXPORT std::u16string toUtf16(std::string_view text);

/// UTF-16 to UTF-8 for display: as toUtf8, but each unpaired surrogate becomes U+FFFD.
/// Never raises for the content of `text`.
TARSK_CORE_EXPORT std::string toUtf8Lossy(std::u16string_view text);

}  // namespace tarsk::core::text
