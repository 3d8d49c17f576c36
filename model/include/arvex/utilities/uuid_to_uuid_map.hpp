#pragma once

// UUIDToUUIDMap: a two-level map kept in a model: a container key leads to an inner UUIDMap.
//
//   index 1 "Pairs"  containment of UUIDToUUIDMapEntry elements, keyed by their container
//                    keys, unique keys
//
// Each container key is a UUIDToUUIDMapEntry owned by the map, and each entry owns its inner
// UUIDMap ("Value"), so both levels change in the model's transactions and undo together.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <vector>

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

    // The two-level operations. Each is one operation (detail::asOperation): a proxy map
    // reports CannotModifyProxy; inner maps are used through their own operations.
    //
    // An entry whose "Value" holds no valid inner map (one filed without a value, or whose map
    // was released or destroyed) counts as a container key with no pairs: findValueForKey
    // answers an empty handle, findValueForKeys the nil UUID, findValuesWithSubKey skips it,
    // erasePairForKeys destroys it, and insertPair under its key reports UniquenessConstraint
    // (the entry stays as it is; the map refills only entries that hold a map).

    /// Files (subKey, value) in the inner map of `containerKey`, creating the entry and its
    /// inner map with the first pair. A sub key already present reports UniquenessConstraint
    /// from the inner map (the first value stays). Joins the caller's transaction, or runs in
    /// one of its own when none is open: a lone call is one undo step and a refused one leaves
    /// nothing; inside the caller's transaction a refused call leaves the elements it made,
    /// uncontained, for that transaction's rollback.
    virtual void insertPair(boost::uuids::uuid const& containerKey,
                            boost::uuids::uuid const& subKey, boost::uuids::uuid const& value);
    /// Destroys the entry of `containerKey` with its inner map and all its pairs, if any.
    virtual void erasePairForKey(boost::uuids::uuid const& containerKey);
    /// Erases the pair of `subKey` under `containerKey`. When that pair is the inner map's
    /// last one (or the inner map is empty or missing), the whole entry goes with it; pairs
    /// removed through the inner map's own operations leave the entry with an empty map.
    virtual void erasePairForKeys(boost::uuids::uuid const& containerKey,
                                  boost::uuids::uuid const& subKey);
    /// The valid inner map of `containerKey`, or an empty handle.
    virtual UUIDMap findValueForKey(boost::uuids::uuid const& containerKey) const;
    /// The value of `subKey` in each inner map that holds it with a non-nil value, in
    /// ascending container-key order (at most one per container key).
    virtual std::vector<boost::uuids::uuid> findValuesWithSubKey(
        boost::uuids::uuid const& subKey) const;
    /// The value of `subKey` under `containerKey`, or the nil UUID when either is absent.
    virtual boost::uuids::uuid findValueForKeys(boost::uuids::uuid const& containerKey,
                                                boost::uuids::uuid const& subKey) const;
    /// True when an entry is filed under `containerKey` (also one with an empty inner map).
    virtual bool hasKey(boost::uuids::uuid const& containerKey) const;

  private:
    /// The first pair under a container key: a new entry and a new inner map holding the pair,
    /// in insertPair's transaction.
    void fileFirstPair(boost::uuids::uuid const& containerKey, boost::uuids::uuid const& subKey,
                       boost::uuids::uuid const& value);
};

}  // namespace arvex::utilities
