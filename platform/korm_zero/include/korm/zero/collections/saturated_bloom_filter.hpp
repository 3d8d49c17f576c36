#pragma once

// SaturatedBloomFilter: a counting Bloom filter of UUIDs whose counters stick at their
// maximum, so that removals never produce false negatives.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "korm/zero/export.hpp"

namespace korm::zero {

/// A counting Bloom filter of UUIDs, used to rule out membership quickly before a linear
/// scan (a sequence's containment test).
///
/// Each UUID sets HASH_COUNT counters of 8 bits. A counter that reaches 255 saturates: it is
/// never decremented again, since it no longer knows how many UUIDs it counts. So contains()
/// never answers false for a UUID that was added and not removed since; it may answer true
/// for one that was not (a false positive), more often once counters saturate. remove() must
/// only be given UUIDs that were added (as many times as they were added): removing a UUID
/// that was never added could clear another's counters.
///
/// The filter has about 16 counters per expected UUID (at least 64, a power of two), which
/// keeps false positives below one in a few hundred at the expected fill.
class KORM_ZERO_EXPORT SaturatedBloomFilter {
  public:
    static constexpr std::size_t HASH_COUNT = 4;
    static constexpr std::uint8_t SATURATED = 255;

    explicit SaturatedBloomFilter(std::size_t expectedCount);
    void add(boost::uuids::uuid const& id);
    void remove(boost::uuids::uuid const& id);
    /// False only when `id` was certainly never added (or all its additions were removed).
    bool contains(boost::uuids::uuid const& id) const;
    /// Forgets every UUID.
    void clear() noexcept;
    std::size_t getCounterCount() const noexcept { return m_counters.size(); }

  private:
    template <class F>
    void forEachSlot(boost::uuids::uuid const& id, F&& f) const;

    std::vector<std::uint8_t> m_counters;
};

}  // namespace korm::zero
