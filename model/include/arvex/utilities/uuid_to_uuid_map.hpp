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
#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/map_record.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
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

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<UUIDToUUIDMap> const& Uuid();
    /// "Pairs" in model queries, built on first use, once per process.
    static detail::RelationAccessor<UUIDToUUIDMapEntry, UUIDToUUIDMap> const& pairs();
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap::Impl
    : public detail::MapRecord<UUIDToUUIDMap,
                               korm::zero::ElementMap<boost::uuids::uuid, UUIDToUUIDMapEntry>,
                               &detail::Meta::uuidToUUIDMapPairs> {
  public:
    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<UUIDToUUIDMap, B>;
    /// The record a builder makes: an empty "Pairs" (filled by cascadeCreation).
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Makes and files one entry for each given entry builder, in order.
    void cascadeCreation(BuilderImpl& builder);
    /// Makes an entry with UUID `id` in the map's model from `builder` and files it in "Pairs"
    /// (detail::createIntoPairs tells the transactions and the failures).
    UUIDToUUIDMapEntry createIntoPairs(UUIDToUUIDMapEntry::BuilderWrapper builder,
                                       boost::uuids::uuid const& id);

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
};

}  // namespace arvex::utilities
