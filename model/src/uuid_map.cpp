// UUIDMap: the map's operations over its "Pairs" collection.

#include "arvex/utilities/uuid_map.hpp"

#include <boost/uuid/nil_generator.hpp>
#include <vector>

#include "map_entries.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;

kz::meta::Class UUIDMap::metaClass() {
    return detail::Meta::uuidMap();
}

UUIDMap UUIDMap::create(kz::Model const& model, uuid const& id) {
    return detail::createElement<UUIDMap>(model, id);
}

UUIDMap::Impl::Impl(kz::Model const& model, uuid const& id) : MapRecord(model, id) {}

namespace {

/// The entry filed under `key` in `pairs`, or null.
UUIDMapEntry const* entryUnder(UUIDMap::Impl::Pairs const& pairs, uuid const& key) {
    return UUIDMap::Impl::entriesOf(pairs).find_value(key);
}

}  // namespace

UUIDMapEntry UUIDMap::Impl::peekEntry(uuid const& key) const {
    UUIDMapEntry const* entry = entryUnder(peekPairs(), key);
    return entry != nullptr ? *entry : UUIDMapEntry();
}

void UUIDMap::Impl::insertPair(uuid const& key, uuid const& value) {
    detail::asOperation(*this, [&] {
        detail::insertNewEntry(*this, key, value, [this](UUIDMapEntry const& entry) {
            getPairsMutable().insert(entry, kz::CollisionResolution::REPORT);
        });
    });
}

void UUIDMap::Impl::erasePairForKey(uuid const& key) {
    detail::asOperation(*this, [&] {
        Pairs& pairs = getPairsMutable();
        auto const& nodes = entriesOf(pairs);
        auto const node = nodes.find(key);
        if (node == nodes.end() || !node->second) {
            return;
        }
        UUIDMapEntry const entry = node->second;  // the node goes away while the entry is destroyed
        // Destroying the entry takes it out of "Pairs"; the node just found is handed on, so
        // that the tree is descended once.
        Pairs::RemovalHint const hint(pairs, node);
        entry->destroy();
    });
}

void UUIDMap::Impl::erasePairsForValue(uuid const& value) {
    detail::asOperation(*this, [&] {
        detail::destroyEntries(*this,
                               detail::entriesWithValue(entriesOf(getPairsMutable()), value));
    });
}

uuid UUIDMap::Impl::findValueForKey(uuid const& key) const {
    UUIDMapEntry const* entry = entryUnder(getPairs(), key);
    return entry != nullptr ? (*entry)->getValue() : boost::uuids::nil_uuid();
}

bool UUIDMap::Impl::hasKey(uuid const& key) const {
    return entryUnder(getPairs(), key) != nullptr;
}

}  // namespace arvex::utilities
