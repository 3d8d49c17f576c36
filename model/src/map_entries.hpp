#pragma once

// What the maps share about their entries. An entry's key changes through the keyed collection
// it is filed in. A new pair is one compound change:
// the entry is made, keyed, valued and filed in the caller's transaction or, for a lone call, in
// one of its own, so that a refused pair leaves nothing behind. Erased entries are collected
// first and destroyed afterwards, so that the walk over the collection never meets the removals
// that destroying an entry makes in it.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <vector>

#include "arvex/utilities/collections/keyed_element_collection.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"

namespace arvex::utilities::detail {

/// Gives the entry `record` the key `key`, held in `field` and announced as property `index`.
/// Filed in a keyed collection, the entry is filed again under the new key by that collection
/// (a map refuses a key another entry holds, before anything changes); else only the key
/// changes; all in the operation's transaction.
inline void changeEntryKey(korm::zero::ModelElement::Impl& record, boost::uuids::uuid& field,
                           std::size_t index, boost::uuids::uuid const& key) {
    requireTransaction(record);
    if (key == field) {
        return;
    }
    korm::zero::KeyedCollectionInterface<boost::uuids::uuid>::changeKey(record, key, [&] {
        record.notifyModifying(index);
        field = key;
    });
}

/// Makes the entry (key, value) in `map`'s model and hands it to `file`, which puts it into the
/// map's collection, in the operation's transaction.
template <class File>
void insertNewEntry(korm::zero::ModelElement::Impl& map, boost::uuids::uuid const& key,
                    boost::uuids::uuid const& value, File file) {
    requireTransaction(map);
    UUIDMapEntry const entry = UUIDMapEntry::create(map.getModel(), boost::uuids::nil_uuid());
    entry->setKey(key);
    entry->setValue(value);
    file(entry);
}

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

/// Destroys the valid ones of `entries`, in order, each leaving its map as it goes, in the
/// operation's transaction: the erasure is one undo step, and should a destruction fail, the
/// ones before it are rolled back with it.
inline void destroyEntries(korm::zero::ModelElement::Impl const& map,
                           std::vector<UUIDMapEntry> const& entries) {
    requireTransaction(map);
    for (auto const& entry : entries) {
        if (entry) {
            entry->destroy();
        }
    }
}

}  // namespace arvex::utilities::detail
