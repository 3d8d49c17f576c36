#pragma once

// SaturatedBloomFilter: a counting Bloom filter of UUIDs whose counters stick at their
// maximum, so that removals never produce false negatives.
//
// Declared here for the element layer; defined with the collections.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "korm/zero/export.hpp"

namespace korm::zero {

class KORM_ZERO_EXPORT SaturatedBloomFilter {
  public:
    explicit SaturatedBloomFilter(std::size_t expectedCount);
    void add(boost::uuids::uuid const& id);
    void remove(boost::uuids::uuid const& id);
    /// False only when `id` was certainly never added (or all its additions were removed).
    bool contains(boost::uuids::uuid const& id) const;

  private:
    std::vector<std::uint8_t> m_counters;
};

}  // namespace korm::zero
