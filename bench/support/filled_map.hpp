#pragma once

// A model holding one UUIDMap filled in one transaction, without undo history: the starting
// point of the map benchmarks.

#include <boost/uuid/uuid.hpp>
#include <vector>

#include "arvex_utilities.hpp"
#include "korm/zero/zero.hpp"

namespace arvex::bench {

/// The value the benchmarks file under `key`: the key with its first byte changed.
inline boost::uuids::uuid valueOf(boost::uuids::uuid key) {
    key.data[0] ^= 0x5a;
    return key;
}

struct FilledMap {
    korm::zero::Model model = korm::zero::Model::create();
    utilities::UUIDMap map = utilities::UUIDMap::create(model);

    /// The map holds (key, valueOf(key)) for each of `keys`.
    explicit FilledMap(std::vector<boost::uuids::uuid> const& keys) {
        insertAll(keys);
        model->clearUndoHistory();
    }

    /// Inserts (key, valueOf(key)) for each of `keys` in one transaction: the bulk insert
    /// that other figures are measured against.
    void insertAll(std::vector<boost::uuids::uuid> const& keys) {
        korm::zero::Transaction transaction = model->beginTransaction(false);
        for (auto const& key : keys) {
            map->insertPair(key, valueOf(key));
        }
        transaction.commit();
    }
};

}  // namespace arvex::bench
