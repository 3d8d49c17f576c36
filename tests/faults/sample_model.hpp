#pragma once

// The small model every sweep starts from: the three maps with a few pairs each, one proxy
// entry that never resolves, and two undo steps (the filling, then a mixed step of erases,
// inserts and a changed key).

#include <boost/uuid/uuid.hpp>
#include <cstdint>

#include "arvex_utilities.hpp"

namespace faults {

/// A UUID whose last byte is `n` (others zero), so that keys order as their numbers.
boost::uuids::uuid id(std::uint8_t n);

struct Sample {
    Sample();

    korm::zero::Model model;
    arvex::utilities::UUIDMap map;             // 1:11 3→4:11 (re-keyed), a proxy
    arvex::utilities::UUIDMultiMap multi;      // 1:[11 12 11 13] 2:[12]
    arvex::utilities::UUIDToUUIDMap twoLevel;  // 5:{1:21 2:22} 6:{1:23} 7:{2:24}
};

}  // namespace faults
