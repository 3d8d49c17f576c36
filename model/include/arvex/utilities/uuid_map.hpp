#pragma once

// UUIDMap: a map from UUID keys to UUID values kept in a model, one value per key.
//
//   index 1 "Pairs"  containment of UUIDMapEntry elements, keyed by their keys, unique keys
//
// Each pair is a UUIDMapEntry owned by the map, so the map changes in the model's
// transactions, undoes, and may hold entries that are not resolved yet (proxies).

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>

#include "arvex/utilities/collections/element_map.hpp"
#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/map_record.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT UUIDMap : public detail::ElementHandle<UUIDMap> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    static korm::zero::meta::Class metaClass();
    /// A new, empty map in `model`; the nil UUID as `id` gets a fresh one.
    static UUIDMap create(korm::zero::Model const& model,
                          boost::uuids::uuid const& id = boost::uuids::nil_uuid());

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<UUIDMap> const& Uuid();
    /// "Pairs" in model queries, built on first use, once per process.
    static detail::RelationAccessor<UUIDMapEntry, UUIDMap> const& pairs();
};

class ARVEX_UTILITIES_EXPORT UUIDMap::Impl
    : public detail::MapRecord<UUIDMap, korm::zero::ElementMap<boost::uuids::uuid, UUIDMapEntry>,
                               &detail::Meta::uuidMapPairs> {
  public:
    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<UUIDMap, B>;
    /// The record a builder makes: an empty "Pairs" (filled by cascadeCreation).
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Makes and files one entry for each given entry builder, in order.
    void cascadeCreation(BuilderImpl& builder);
    /// Makes an entry with UUID `id` in the map's model from `builder` and files it in "Pairs"
    /// (detail::createIntoPairs tells the transactions and the failures).
    UUIDMapEntry createIntoPairs(UUIDMapEntry::BuilderWrapper builder,
                                 boost::uuids::uuid const& id);

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);

    // The map's operations. Each is one operation (detail::asOperation): a proxy map reports
    // CannotModifyProxy, a map that is gone CannotModifyRemovedElement.

    /// Adds the pair as a new entry. A key already present reports UniquenessConstraint (the
    /// first value stays); the new entry then exists uncontained until the caller's
    /// transaction is rolled back.
    virtual void insertPair(boost::uuids::uuid const& key, boost::uuids::uuid const& value);
    /// Destroys the entry filed under the key, if any.
    virtual void erasePairForKey(boost::uuids::uuid const& key);
    /// Destroys every entry whose value is `value` (collected in key order first).
    virtual void erasePairsForValue(boost::uuids::uuid const& value);
    /// The value filed under the key, or the nil UUID.
    virtual boost::uuids::uuid findValueForKey(boost::uuids::uuid const& key) const;
    virtual bool hasKey(boost::uuids::uuid const& key) const;

    /// The entry filed under the key (an empty handle when none), read as the collection is:
    /// no proxy check, nothing resolved.
    UUIDMapEntry peekEntry(boost::uuids::uuid const& key) const;
};

}  // namespace arvex::utilities
