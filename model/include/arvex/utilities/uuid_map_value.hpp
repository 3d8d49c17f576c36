#pragma once

// UUIDMap as a carried value: a counted UUIDMap handle in a korm::zero::Value (the "Value" of
// a UUIDToUUIDMapEntry, the result of a two-level lookup). The payload is a heap copy of the
// handle; copies take a reference, freeing releases one; values compare by identity of the
// element and hash by its UUID (0 for an empty handle).

#include "arvex/utilities/collections/typed_values.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/uuid_map.hpp"

namespace arvex::utilities {

/// A single value holding `map`, typed with `type`, or when that is empty with the map's own
/// class (the UUIDMap class for an empty handle); checked as a UUIDMap before it is returned.
template <>
ARVEX_UTILITIES_EXPORT korm::zero::Value makeValue<UUIDMap>(UUIDMap const& map,
                                                            korm::zero::meta::Type type);

}  // namespace arvex::utilities

namespace korm::zero {

/// Accepted when the kind is 0 or 1 and the type is a class conforming to UUIDMap's class.
template <>
ARVEX_UTILITIES_EXPORT void Value::checkCompatible<arvex::utilities::UUIDMap>() const;
/// A new counted handle to the payload's map; an empty handle for a null payload.
template <>
ARVEX_UTILITIES_EXPORT arvex::utilities::UUIDMap Value::getValue<arvex::utilities::UUIDMap>() const;
template <>
ARVEX_UTILITIES_EXPORT void genericDeleter<arvex::utilities::UUIDMap>(void* payload);
template <>
ARVEX_UTILITIES_EXPORT void* genericCloner<arvex::utilities::UUIDMap>(void const* payload);
template <>
ARVEX_UTILITIES_EXPORT bool genericComparator<arvex::utilities::UUIDMap>(void const* a,
                                                                         void const* b);
template <>
ARVEX_UTILITIES_EXPORT std::size_t genericHasher<arvex::utilities::UUIDMap>(void const* payload);

}  // namespace korm::zero
