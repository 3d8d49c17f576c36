// The replaced global allocation functions of the test programs that fail allocations on
// demand (the fault sweeps, the persistent tree). Every form of operator
// new counts down the armed allocations; the failing one throws std::bad_alloc (the nothrow
// forms return null). Memory comes from malloc, so the sanitizers still see every block.

#include "allocation_faults.hpp"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace faults {
namespace {

// Allocations left before the armed failure; 0: none armed. One thread arms and runs the
// operation under test; no other thread allocates meanwhile.
long g_countdown = 0;
bool g_happened = false;

// True when this allocation is the armed one.
bool failsNow() noexcept {
    if (g_countdown <= 0) {
        return false;
    }
    if (--g_countdown > 0) {
        return false;
    }
    g_happened = true;
    return true;
}

void* allocate(std::size_t size, std::size_t alignment) {
    if (failsNow()) {
        throw std::bad_alloc();
    }
    std::size_t const bytes = size == 0 ? 1 : size;
    void* const p =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(bytes)
            : std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

void* allocateOrNull(std::size_t size, std::size_t alignment) noexcept {
    try {
        return allocate(size, alignment);
    } catch (std::bad_alloc const&) {
        return nullptr;
    }
}

}  // namespace

void armAllocationFailure(long n) noexcept {
    g_happened = false;
    g_countdown = n > 0 ? n : 0;
}

void disarmAllocationFailure() noexcept {
    g_countdown = 0;
}

bool allocationFailureHappened() noexcept {
    return g_happened;
}

}  // namespace faults

void* operator new(std::size_t size) {
    return faults::allocate(size, 0);
}
void* operator new[](std::size_t size) {
    return faults::allocate(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return faults::allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return faults::allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::nothrow_t const&) noexcept {
    return faults::allocateOrNull(size, 0);
}
void* operator new[](std::size_t size, std::nothrow_t const&) noexcept {
    return faults::allocateOrNull(size, 0);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
