#pragma once

// What the map classes share when they erase pairs: the entries to erase are collected first
// and destroyed afterwards, so that the walk over the collection never meets the removals that
// destroying an entry makes in it.

#include <boost/uuid/uuid.hpp>
#include <vector>

#include "arvex/utilities/uuid_map_entry.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"

namespace arvex::utilities::detail {

/// The entries among `nodes` (key and entry handle, in collection order) whose value is
/// `value`, in that order.
template <class Nodes>
std::vector<UUIDMapEntry> entriesWithValue(Nodes const& nodes, boost::uuids::uuid const& value) {
    std::vector<UUIDMapEntry> matches;
    for (auto const& node : nodes) {
        if (node.second->getValue() == value) {
            matches.push_back(node.second);
        }
    }
    return matches;
}

/// Destroys the valid ones of `entries`, in order, each leaving its map as it goes. One
/// transaction (joining the caller's) holds them all: the erasure is one undo step, and should
/// a destruction fail, the ones before it are rolled back with it.
inline void destroyEntries(std::vector<UUIDMapEntry> const& entries) {
    if (entries.empty()) {
        return;
    }
    korm::zero::Transaction transaction = entries.front()->getModel()->joinOrBeginTransaction();
    for (auto const& entry : entries) {
        if (entry) {
            entry->destroy();
        }
    }
    transaction.commit();
}

}  // namespace arvex::utilities::detail
