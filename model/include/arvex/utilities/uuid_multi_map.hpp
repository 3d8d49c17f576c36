#pragma once

// UUIDMultiMap: a map from UUID keys to any number of UUID values kept in a model.
//
//   index 1 "Pairs"  containment of UUIDMapEntry elements, keyed by their keys; entries with
//                    equal keys stand side by side in the order they were filed
//
// This header holds the element side of the class; its map operations build on it.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>

#include "arvex/utilities/collections/element_multimap.hpp"
#include "arvex/utilities/detail/map_record.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT UUIDMultiMap : public detail::ElementHandle<UUIDMultiMap> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    static korm::zero::meta::Class metaClass();
    /// A new, empty multimap in `model`; the nil UUID as `id` gets a fresh one.
    static UUIDMultiMap create(korm::zero::Model const& model,
                               boost::uuids::uuid const& id = boost::uuids::nil_uuid());
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMap::Impl
    : public detail::MapRecord<UUIDMultiMap,
                               korm::zero::ElementMultimap<boost::uuids::uuid, UUIDMapEntry>,
                               &detail::Meta::uuidMultiMapPairs> {
  public:
    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
};

}  // namespace arvex::utilities
