// UUIDMultiMap: the multimap's operations over its "Pairs" collection.

#include "arvex/utilities/uuid_multi_map.hpp"

#include <algorithm>
#include <iterator>
#include <vector>

#include "map_entries.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;
using boost::uuids::uuid;

kz::meta::Class UUIDMultiMap::metaClass() {
    return detail::Meta::uuidMultiMap();
}

UUIDMultiMap UUIDMultiMap::create(kz::Model const& model, uuid const& id) {
    return detail::createElement<UUIDMultiMap>(model, id);
}

UUIDMultiMap::Impl::Impl(kz::Model const& model, uuid const& id) : MapRecord(model, id) {}

void UUIDMultiMap::Impl::insertPair(uuid const& key, uuid const& value) {
    detail::asOperation(*this, [&] {
        detail::insertNewEntry(*this, key, value, [this](UUIDMapEntry const& entry) {
            getPairsMutable().insert(entry);
        });
    });
}

void UUIDMultiMap::Impl::erasePairsForKey(uuid const& key) {
    detail::asOperation(*this, [&] {
        auto const [first, last] = entriesOf(getPairsMutable()).equal_range(key);
        std::vector<UUIDMapEntry> matches;
        for (auto it = first; it != last; ++it) {
            matches.push_back(it->second);
        }
        detail::destroyEntries(*this, matches);
    });
}

void UUIDMultiMap::Impl::erasePairsKeyAndValue(uuid const& key, uuid const& value) {
    detail::asOperation(*this, [&] {
        auto const [first, last] = entriesOf(getPairsMutable()).equal_range(key);
        auto const match = std::find_if(
            first, last, [&](auto const& node) { return node.second->getValue() == value; });
        if (match != last) {
            // The node goes away while the entry is destroyed.
            detail::destroyEntries(*this, {match->second});
        }
    });
}

void UUIDMultiMap::Impl::erasePairsForValue(uuid const& value) {
    detail::asOperation(*this, [&] {
        detail::destroyEntries(*this,
                               detail::entriesWithValue(entriesOf(getPairsMutable()), value));
    });
}

std::vector<uuid> UUIDMultiMap::Impl::findValuesForKey(uuid const& key) const {
    auto const [first, last] = entriesOf(getPairs()).equal_range(key);
    std::vector<uuid> values;
    values.reserve(static_cast<std::size_t>(std::distance(first, last)));
    for (auto it = first; it != last; ++it) {
        values.push_back(it->second->getValue());
    }
    return values;
}

bool UUIDMultiMap::Impl::hasKey(uuid const& key) const {
    auto const& nodes = entriesOf(getPairs());
    return nodes.find(key) != nodes.end();
}

}  // namespace arvex::utilities
