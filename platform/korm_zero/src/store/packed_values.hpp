#pragma once

// The single values of one element packed into one blob of its element row, so that a small
// element (a map's pair: key and value) is one row of about 80 bytes rather than three rows.
//
// Each value: its property's code (varint, see MetaCodes), its kind (one byte), its data
// (varint length, then the bytes); a proxy adds its class id and model name the same way.

#include <cstdint>
#include <string>
#include <string_view>

#include "model_store.hpp"

namespace korm::zero::store {

/// Appends `value` of the property with code `propertyCode` to `blob`.
void packValue(std::string& blob, std::uint64_t propertyCode, StoredValue const& value);

/// Takes the next value off the front of `blob` into `propertyCode` and `value` (whose element
/// the caller sets). False when `blob` does not start with a well-formed value.
bool unpackValue(std::string_view& blob, std::uint64_t& propertyCode, StoredValue& value);

}  // namespace korm::zero::store
