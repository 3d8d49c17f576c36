#pragma once

// UUIDMultiMap: a map from UUID keys to any number of UUID values kept in a model.
//
//   index 1 "Pairs"  containment of UUIDMapEntry elements, keyed by their keys; entries with
//                    equal keys stand side by side in the order they were filed
//
// Neither keys nor key/value pairs are unique: inserting a pair that is already held adds a
// second entry beside the first. Each pair is a UUIDMapEntry owned by the multimap, so the
// multimap changes in the model's transactions, undoes, and may hold entries that are not
// resolved yet (proxies).

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <vector>

#include "arvex/utilities/collections/element_multimap.hpp"
#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/map_record.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
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

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<UUIDMultiMap> const& Uuid();
    /// "Pairs" in model queries, built on first use, once per process.
    static detail::RelationAccessor<UUIDMapEntry, UUIDMultiMap> const& pairs();
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMap::Impl
    : public detail::MapRecord<UUIDMultiMap,
                               korm::zero::ElementMultimap<boost::uuids::uuid, UUIDMapEntry>,
                               &detail::Meta::uuidMultiMapPairs> {
  public:
    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<UUIDMultiMap, B>;
    /// The record a builder makes: an empty "Pairs" (filled by cascadeCreation).
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Makes and files one entry for each given entry builder, in order.
    void cascadeCreation(BuilderImpl& builder);
    /// Makes an entry with UUID `id` in the map's model from `builder` and files it in "Pairs"
    /// (detail::createIntoPairs tells the transactions and the failures).
    UUIDMapEntry createIntoPairs(UUIDMapEntry::BuilderWrapper builder,
                                 boost::uuids::uuid const& id);

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);

    // The multimap's operations. Each is one operation (detail::asOperation): a proxy
    // multimap reports CannotModifyProxy. Entries are walked in key order and, within a
    // key, in filing order. An erasure that destroys several entries does so in one
    // transaction (joining the caller's), so that it is one undo step and a failure part way
    // leaves nothing erased.

    /// Adds the pair as a new entry after the entries already filed under the key. A proxy
    /// multimap reports CannotModifyProxy only once the entry exists; the entry is then left
    /// uncontained until the caller's transaction is rolled back.
    virtual void insertPair(boost::uuids::uuid const& key, boost::uuids::uuid const& value);
    /// Destroys every entry filed under the key.
    virtual void erasePairsForKey(boost::uuids::uuid const& key);
    /// Destroys the first entry filed under the key whose value is `value`; later entries with
    /// the same pair stay.
    virtual void erasePairsKeyAndValue(boost::uuids::uuid const& key,
                                       boost::uuids::uuid const& value);
    /// Destroys every entry whose value is `value`, whatever its key.
    virtual void erasePairsForValue(boost::uuids::uuid const& value);
    /// The values filed under the key in filing order, one per entry (a pair held twice gives
    /// its value twice); empty when the key is absent.
    virtual std::vector<boost::uuids::uuid> findValuesForKey(boost::uuids::uuid const& key) const;
    /// True when at least one entry is filed under the key.
    virtual bool hasKey(boost::uuids::uuid const& key) const;
};

}  // namespace arvex::utilities
