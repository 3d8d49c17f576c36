#pragma once

// Hash functions of the framework's services.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace korm::zero::services::hashers {

/// Hash of a UUID: the two 64-bit halves folded together and run through a 64-bit finalising
/// mixer, so that every input bit affects every output bit. UUIDs from the random generator
/// are already uniform, but name-based ones and hand-written test UUIDs (all zero but one byte)
/// are not, and the model's index needs well-spread low bits.
struct KORM0Hasher {
    std::size_t operator()(boost::uuids::uuid const& id) const noexcept {
        std::uint64_t lo = 0;
        std::uint64_t hi = 0;
        std::memcpy(&lo, id.data, 8);
        std::memcpy(&hi, id.data + 8, 8);
        std::uint64_t h = lo ^ (hi * 0x9e3779b97f4a7c15ULL) ^ (hi >> 29);
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ULL;
        h ^= h >> 33;
        return static_cast<std::size_t>(h);
    }
};

}  // namespace korm::zero::services::hashers
