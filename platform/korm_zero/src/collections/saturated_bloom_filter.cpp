// The saturating counting Bloom filter of UUIDs.

#include "korm/zero/collections/saturated_bloom_filter.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace korm::zero {

namespace {

// A strong 64-bit mixer: UUIDs are not always random (name-based ones, sequential test
// identities), so their bytes are mixed before they pick counters.
std::uint64_t mix(std::uint64_t x) noexcept {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

}  // namespace

SaturatedBloomFilter::SaturatedBloomFilter(std::size_t expectedCount)
    : m_counters(std::bit_ceil(std::max<std::size_t>(64, expectedCount * 16)), 0) {}

template <class F>
void SaturatedBloomFilter::forEachSlot(boost::uuids::uuid const& id, F&& f) const {
    std::uint64_t halves[2];
    static_assert(sizeof(halves) == sizeof(id.data));
    std::memcpy(halves, id.data, sizeof(halves));
    // Double hashing: slot i is h1 + i * h2 (h2 odd, so the slots differ in a power-of-two
    // table).
    std::uint64_t const h1 = mix(halves[0] ^ mix(halves[1]));
    std::uint64_t const h2 = mix(halves[1] + 0x9e3779b97f4a7c15ULL) | 1U;
    std::size_t const mask = m_counters.size() - 1;
    for (std::size_t i = 0; i < HASH_COUNT; ++i) {
        f(static_cast<std::size_t>(h1 + i * h2) & mask);
    }
}

void SaturatedBloomFilter::add(boost::uuids::uuid const& id) {
    forEachSlot(id, [this](std::size_t slot) {
        if (m_counters[slot] != SATURATED) {
            ++m_counters[slot];
        }
    });
}

void SaturatedBloomFilter::remove(boost::uuids::uuid const& id) {
    forEachSlot(id, [this](std::size_t slot) {
        // A saturated counter no longer knows its count and stays; an empty one was never
        // set by this UUID (misuse) and must not wrap.
        if (m_counters[slot] != SATURATED && m_counters[slot] != 0) {
            --m_counters[slot];
        }
    });
}

bool SaturatedBloomFilter::contains(boost::uuids::uuid const& id) const {
    bool all = true;
    forEachSlot(id, [&](std::size_t slot) { all = all && m_counters[slot] != 0; });
    return all;
}

void SaturatedBloomFilter::clear() noexcept {
    std::fill(m_counters.begin(), m_counters.end(), std::uint8_t{0});
}

}  // namespace korm::zero
