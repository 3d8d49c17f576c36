#pragma once

// The platform's internal errors: failures inside the platform or a library that are no fault
// of the caller's input, such as running out of memory. A caller that reports errors to a user
// catches IInternalException apart from the message exceptions, which name a fault of the input.

#include <exception>
#include <new>

#include "tarsk/core/export.hpp"

namespace tarsk::core::except {

class TARSK_CORE_EXPORT IInternalException : public std::exception {
  public:
    ~IInternalException() override;
};

/// Out of memory: an allocation failed (a std::bad_alloc underneath).
class TARSK_CORE_EXPORT BadAllocation : public IInternalException {
  public:
    ~BadAllocation() override;
    char const* what() const noexcept override;
};

/// `T` made with `new` from `args`; a failed allocation reports BadAllocation instead of
/// std::bad_alloc. For objects whose ownership passes to a raw-pointer interface.
template <class T, class... Args>
T* allocate(Args&&... args) {
    try {
        return new T(static_cast<Args&&>(args)...);
    } catch (std::bad_alloc const&) {
        throw BadAllocation();
    }
}

}  // namespace tarsk::core::except
