#pragma once

// Text conversion between the platform's UTF-16 strings and their 8-bit (UTF-8) form.

#include <string>
#include <string_view>

#include "tarsk/core/export.hpp"

namespace tarsk::core::text {

/// UTF-16 to UTF-8. Valid UTF-16 converts losslessly. Code units that do not form valid UTF-16
/// (an unpaired surrogate) are dropped from the result, and a high surrogate without its low
/// half may take the code unit after it along; nothing is thrown for them.
TARSK_CORE_EXPORT std::string toUtf8(std::u16string_view text);

/// UTF-8 to UTF-16, the inverse of toUtf8: toUtf16(toUtf8(s)) == s for every valid UTF-16 s.
/// Byte sequences that are not valid UTF-8 are dropped from the result.
TARSK_CORE_EXPORT std::u16string toUtf16(std::string_view text);

}  // namespace tarsk::core::text
