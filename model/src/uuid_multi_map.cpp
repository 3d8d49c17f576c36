// UUIDMultiMap: the multimap's operations over its "Pairs" collection.

#include "arvex/utilities/uuid_multi_map.hpp"

#include <boost/uuid/nil_generator.hpp>
#include <iterator>
#include <ranges>

#include "entry_erasure.hpp"

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

namespace {

/// The nodes filed under `key` in `pairs`, in filing order, as a range.
auto nodesUnder(UUIDMultiMap::Impl::Pairs const& pairs, uuid const& key) {
    auto const [first, last] = UUIDMultiMap::Impl::entriesOf(pairs).equal_range(key);
    return std::ranges::subrange(first, last);
}

}  // namespace

void UUIDMultiMap::Impl::insertPair(uuid const& key, uuid const& value) {
    UUIDMapEntry const entry = UUIDMapEntry::create(getModel(), boost::uuids::nil_uuid());
    entry->setKey(key);
    entry->setValue(value);
    getPairsMutable().insert(entry);
}

void UUIDMultiMap::Impl::erasePairsForKey(uuid const& key) {
    std::vector<UUIDMapEntry> matches;
    for (auto const& node : nodesUnder(getPairs(), key)) {
        matches.push_back(node.second);
    }
    detail::destroyEntries(matches);
}

void UUIDMultiMap::Impl::erasePairsKeyAndValue(uuid const& key, uuid const& value) {
    for (auto const& node : nodesUnder(getPairs(), key)) {
        if (node.second->getValue() == value) {
            UUIDMapEntry const entry = node.second;  // the node goes away while it is destroyed
            if (entry) {
                entry->destroy();
            }
            return;
        }
    }
}

void UUIDMultiMap::Impl::erasePairsForValue(uuid const& value) {
    detail::destroyEntries(detail::entriesWithValue(entriesOf(getPairs()), value));
}

std::vector<uuid> UUIDMultiMap::Impl::findValuesForKey(uuid const& key) const {
    auto const nodes = nodesUnder(getPairs(), key);
    std::vector<uuid> values;
    values.reserve(static_cast<std::size_t>(std::ranges::distance(nodes)));
    for (auto const& node : nodes) {
        values.push_back(node.second->getValue());
    }
    return values;
}

bool UUIDMultiMap::Impl::hasKey(uuid const& key) const {
    auto const& nodes = entriesOf(getPairs());
    return nodes.find(key) != nodes.end();
}

}  // namespace arvex::utilities
