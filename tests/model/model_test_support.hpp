#pragma once

// Helpers of the model class tests.

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <string>

#include "arvex_utilities.hpp"
#include "korm/zero/zero.hpp"
#include "tarsk/core/except/exception.hpp"

namespace arvex::utilities::test {

using tarsk::core::except::Exception;
namespace messages = korm0::messages;

/// A UUID whose last byte is `n` (others zero), so that keys order as their numbers.
boost::uuids::uuid id(std::uint8_t n);

/// The map's pairs as "key:value" (keys and values by their last byte) in collection order,
/// with '*' after an entry that is not valid.
std::string pairsOf(UUIDMap const& map);

/// A proxy entry standing for `target` (an element of the same model).
UUIDMapEntry proxyFor(korm::zero::Model const& model, korm::zero::ModelElement const& target);

}  // namespace arvex::utilities::test
