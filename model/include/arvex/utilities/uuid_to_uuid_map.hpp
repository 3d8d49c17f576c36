#pragma once

// UUIDToUUIDMap: a two-level map kept in a model: a container key leads to an inner UUIDMap.
//
//   index 1 "Pairs"  containment of UUIDToUUIDMapEntry elements, keyed by their container
//                    keys, unique keys
//
// This header holds the element side of the class; its map operations build on it.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>

#include "arvex/utilities/collections/element_map.hpp"
#include "arvex/utilities/detail/map_record.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap : public detail::ElementHandle<UUIDToUUIDMap> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    static korm::zero::meta::Class metaClass();
    /// A new, empty two-level map in `model`; the nil UUID as `id` gets a fresh one.
    static UUIDToUUIDMap create(korm::zero::Model const& model,
                                boost::uuids::uuid const& id = boost::uuids::nil_uuid());
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap::Impl
    : public detail::MapRecord<UUIDToUUIDMap,
                               korm::zero::ElementMap<boost::uuids::uuid, UUIDToUUIDMapEntry>,
                               &detail::Meta::uuidToUUIDMapPairs> {
  public:
    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
};

}  // namespace arvex::utilities
