// The query classes, the static property accessors and the element-UUID attributes of the six
// model classes.
//
// A static accessor is a function-local static: built on the first call (which builds the
// meta-package if it is not built yet), once per process even when threads race for the first
// call, and destroyed at exit before the meta-package it refers to. An element-UUID attribute
// has no state; it is a constant, ready before any code runs.

#include "arvex/utilities/queries.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
namespace kq = korm::zero::query;
using detail::Meta;

namespace {

template <class X>
detail::UuidOf<X> const& uuidAttribute() {
    static constexpr detail::UuidOf<X> attribute{};
    return attribute;
}

}  // namespace

// ---- query classes ----------------------------------------------------------------------------

#define ARVEX_DEFINE_QUERY_CLASS(X, MEMBERS)                                                      \
    X::Constrainables::Constrainables(kq::AbstractQuery& query, kz::meta::Class const& metaClass, \
                                      kq::SearchClassMatchMode mode)                              \
        : kz::ModelElement::Constrainables(query, metaClass, mode) MEMBERS {}                     \
    X::Constrainables::Constrainables(                                                            \
        std::pair<kq::AbstractQuery&, kq::SearchClassMatchMode const> const& queryAndMode)        \
        : Constrainables(queryAndMode.first, X::metaClass(), queryAndMode.second) {}              \
    X::Constrainables::~Constrainables() = default

#define ARVEX_MEMBER(NAME, PROPERTY) , NAME(Meta::PROPERTY(), kq::InstanceAttachment(*this))

ARVEX_DEFINE_QUERY_CLASS(UUIDMapEntry,
                         ARVEX_MEMBER(Key, uuidMapEntryKey) ARVEX_MEMBER(Value, uuidMapEntryValue));
ARVEX_DEFINE_QUERY_CLASS(UUIDToUUIDMapEntry, ARVEX_MEMBER(Key, uuidToUUIDMapEntryKey)
                                                 ARVEX_MEMBER(Value, uuidToUUIDMapEntryValue));
ARVEX_DEFINE_QUERY_CLASS(UUIDMap, ARVEX_MEMBER(Pairs, uuidMapPairs));
ARVEX_DEFINE_QUERY_CLASS(UUIDMultiMap, ARVEX_MEMBER(Pairs, uuidMultiMapPairs));
ARVEX_DEFINE_QUERY_CLASS(UUIDToUUIDMap, ARVEX_MEMBER(Pairs, uuidToUUIDMapPairs));
ARVEX_DEFINE_QUERY_CLASS(FullPathAPI, );

#undef ARVEX_MEMBER
#undef ARVEX_DEFINE_QUERY_CLASS

// ---- static accessors -------------------------------------------------------------------------

detail::UuidAccessor<UUIDMapEntry> const& UUIDMapEntry::key() {
    static detail::UuidAccessor<UUIDMapEntry> const accessor(Meta::uuidMapEntryKey(), {});
    return accessor;
}

detail::UuidAccessor<UUIDMapEntry> const& UUIDMapEntry::value() {
    static detail::UuidAccessor<UUIDMapEntry> const accessor(Meta::uuidMapEntryValue(), {});
    return accessor;
}

detail::UuidAccessor<UUIDToUUIDMapEntry> const& UUIDToUUIDMapEntry::key() {
    static detail::UuidAccessor<UUIDToUUIDMapEntry> const accessor(Meta::uuidToUUIDMapEntryKey(),
                                                                   {});
    return accessor;
}

detail::RelationAccessor<UUIDMap, UUIDToUUIDMapEntry> const& UUIDToUUIDMapEntry::value() {
    static detail::RelationAccessor<UUIDMap, UUIDToUUIDMapEntry> const accessor(
        Meta::uuidToUUIDMapEntryValue(), {});
    return accessor;
}

detail::RelationAccessor<UUIDMapEntry, UUIDMap> const& UUIDMap::pairs() {
    static detail::RelationAccessor<UUIDMapEntry, UUIDMap> const accessor(Meta::uuidMapPairs(), {});
    return accessor;
}

detail::RelationAccessor<UUIDMapEntry, UUIDMultiMap> const& UUIDMultiMap::pairs() {
    static detail::RelationAccessor<UUIDMapEntry, UUIDMultiMap> const accessor(
        Meta::uuidMultiMapPairs(), {});
    return accessor;
}

detail::RelationAccessor<UUIDToUUIDMapEntry, UUIDToUUIDMap> const& UUIDToUUIDMap::pairs() {
    static detail::RelationAccessor<UUIDToUUIDMapEntry, UUIDToUUIDMap> const accessor(
        Meta::uuidToUUIDMapPairs(), {});
    return accessor;
}

// ---- element-UUID attributes ------------------------------------------------------------------

detail::UuidOf<UUIDMapEntry> const& UUIDMapEntry::Uuid() {
    return uuidAttribute<UUIDMapEntry>();
}
detail::UuidOf<UUIDToUUIDMapEntry> const& UUIDToUUIDMapEntry::Uuid() {
    return uuidAttribute<UUIDToUUIDMapEntry>();
}
detail::UuidOf<UUIDMap> const& UUIDMap::Uuid() {
    return uuidAttribute<UUIDMap>();
}
detail::UuidOf<UUIDMultiMap> const& UUIDMultiMap::Uuid() {
    return uuidAttribute<UUIDMultiMap>();
}
detail::UuidOf<UUIDToUUIDMap> const& UUIDToUUIDMap::Uuid() {
    return uuidAttribute<UUIDToUUIDMap>();
}
detail::UuidOf<FullPathAPI> const& FullPathAPI::Uuid() {
    return uuidAttribute<FullPathAPI>();
}

}  // namespace arvex::utilities
