// UUIDToUUIDMap: the element side of the class and its two-level operations over "Pairs".

#include "arvex/utilities/uuid_to_uuid_map.hpp"

#include <boost/uuid/nil_generator.hpp>

#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;

kz::meta::Class UUIDToUUIDMap::metaClass() {
    return detail::Meta::uuidToUUIDMap();
}

UUIDToUUIDMap UUIDToUUIDMap::create(kz::Model const& model, uuid const& id) {
    return detail::createElement<UUIDToUUIDMap>(model, id);
}

UUIDToUUIDMap::Impl::Impl(kz::Model const& model, uuid const& id) : MapRecord(model, id) {}

namespace {

/// The entry filed under `containerKey` in `pairs`, or null.
UUIDToUUIDMapEntry const* entryUnder(UUIDToUUIDMap::Impl::Pairs const& pairs,
                                     uuid const& containerKey) {
    auto const& nodes = UUIDToUUIDMap::Impl::entriesOf(pairs);
    auto const it = nodes.find(containerKey);
    return it == nodes.end() ? nullptr : &it->second;
}

/// The entry's inner map when it holds a valid one, else an empty handle.
UUIDMap innerMapOf(UUIDToUUIDMapEntry const& entry) {
    UUIDMap inner = entry->getValue();
    if (!inner) {
        inner.reset();
    }
    return inner;
}

/// True when `inner` holds no pair other than one filed under `subKey`.
bool onlyPairIsUnder(UUIDMap const& inner, uuid const& subKey) {
    auto const& nodes = UUIDMap::Impl::entriesOf(inner->getPairs());
    return nodes.empty() || (nodes.size() == 1 && nodes.begin()->first == subKey);
}

}  // namespace

void UUIDToUUIDMap::Impl::insertPair(uuid const& containerKey, uuid const& subKey,
                                     uuid const& value) {
    detail::asOperation(*this, [&] {
        if (UUIDMap const inner = findValueForKey(containerKey)) {
            inner->insertPair(subKey, value);
        } else {
            fileFirstPair(containerKey, subKey, value);
        }
    });
}

void UUIDToUUIDMap::Impl::fileFirstPair(uuid const& containerKey, uuid const& subKey,
                                        uuid const& value) {
    // The container key's first pair: entry and inner map are made with it.
    kz::Model const model = getModel();
    UUIDToUUIDMapEntry const entry = UUIDToUUIDMapEntry::create(model, boost::uuids::nil_uuid());
    UUIDMap const created = UUIDMap::create(model, boost::uuids::nil_uuid());
    created->insertPair(subKey, value);
    entry->setKey(containerKey);
    entry->setValue(created);
    getPairsMutable().insert(entry, kz::CollisionResolution::REPORT);
}

void UUIDToUUIDMap::Impl::erasePairForKey(uuid const& containerKey) {
    detail::asOperation(*this, [&] {
        UUIDToUUIDMapEntry const* found = entryUnder(getPairsMutable(), containerKey);
        if (found != nullptr && *found) {
            UUIDToUUIDMapEntry const entry = *found;  // the node goes away while it is destroyed
            entry->destroy();
        }
    });
}

void UUIDToUUIDMap::Impl::erasePairForKeys(uuid const& containerKey, uuid const& subKey) {
    detail::asOperation(*this, [&] {
        UUIDToUUIDMapEntry const* found = entryUnder(getPairsMutable(), containerKey);
        if (found == nullptr || !*found) {
            return;
        }
        UUIDToUUIDMapEntry const entry = *found;
        UUIDMap const inner = innerMapOf(entry);
        if (!inner || onlyPairIsUnder(inner, subKey)) {
            entry->destroy();
        } else {
            inner->erasePairForKey(subKey);
        }
    });
}

UUIDMap UUIDToUUIDMap::Impl::findValueForKey(uuid const& containerKey) const {
    UUIDToUUIDMapEntry const* entry = entryUnder(getPairs(), containerKey);
    return entry != nullptr ? innerMapOf(*entry) : UUIDMap();
}

std::vector<uuid> UUIDToUUIDMap::Impl::findValuesWithSubKey(uuid const& subKey) const {
    std::vector<uuid> values;
    for (auto const& node : entriesOf(getPairs())) {
        UUIDMap const inner = innerMapOf(node.second);
        if (!inner) {
            continue;
        }
        uuid const value = inner->findValueForKey(subKey);
        if (!value.is_nil()) {
            values.push_back(value);
        }
    }
    return values;
}

uuid UUIDToUUIDMap::Impl::findValueForKeys(uuid const& containerKey, uuid const& subKey) const {
    UUIDMap const inner = findValueForKey(containerKey);
    return inner ? inner->findValueForKey(subKey) : boost::uuids::nil_uuid();
}

bool UUIDToUUIDMap::Impl::hasKey(uuid const& containerKey) const {
    return entryUnder(getPairs(), containerKey) != nullptr;
}

}  // namespace arvex::utilities
