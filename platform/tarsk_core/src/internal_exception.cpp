// The platform's internal errors, defined once in the platform so that their type information
// is shared by every module that catches them.

#include "tarsk/core/except/internal_exception.hpp"

namespace tarsk::core::except {

IInternalException::~IInternalException() = default;

BadAllocation::~BadAllocation() = default;

char const* BadAllocation::what() const noexcept {
    return "tarsk:core:OutOfMemory: an allocation failed";
}

}  // namespace tarsk::core::except
