#pragma once

// UUID text: the one form the framework reads and writes, 36 characters
// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" of hexadecimal digits (read in either case, written
// in lower case). Reading and writing go through no stream: the scripting interface parses a
// UUID on almost every call.

#include <boost/uuid/uuid.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "korm/zero/export.hpp"

namespace korm::zero {

/// The UUID `text` writes in the 36-character form, or nothing for any other text (braces,
/// missing hyphens, spaces, other lengths, non-ASCII code units).
KORM_ZERO_EXPORT std::optional<boost::uuids::uuid> parseUuidText(std::string_view text);
/// The same for UTF-16 text.
KORM_ZERO_EXPORT std::optional<boost::uuids::uuid> parseUuidText(std::u16string_view text);

/// The 36-character lower-case text of `id`.
KORM_ZERO_EXPORT std::string uuidText(boost::uuids::uuid const& id);
/// The same text in UTF-16.
KORM_ZERO_EXPORT std::u16string uuidText16(boost::uuids::uuid const& id);

}  // namespace korm::zero
