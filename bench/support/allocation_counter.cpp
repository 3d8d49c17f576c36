#include "allocation_counter.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::int64_t> g_liveBytes{0};
std::atomic<std::uint64_t> g_allocatedBytes{0};
std::atomic<std::uint64_t> g_allocations{0};

// Out of line, so that the compiler does not see free() meet an inlined operator new.
[[gnu::noinline]] void release(void* p) noexcept {
    if (p != nullptr) {
        g_liveBytes.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)),
                              std::memory_order_relaxed);
    }
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    std::size_t const usable = malloc_usable_size(p);
    g_liveBytes.fetch_add(static_cast<std::int64_t>(usable), std::memory_order_relaxed);
    g_allocatedBytes.fetch_add(usable, std::memory_order_relaxed);
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    return p;
}

void operator delete(void* p) noexcept {
    release(p);
}

void operator delete(void* p, std::size_t) noexcept {
    release(p);
}

namespace arvex::bench {

std::int64_t liveBytes() noexcept {
    return g_liveBytes.load(std::memory_order_relaxed);
}

std::uint64_t allocatedBytes() noexcept {
    return g_allocatedBytes.load(std::memory_order_relaxed);
}

std::uint64_t allocations() noexcept {
    return g_allocations.load(std::memory_order_relaxed);
}

}  // namespace arvex::bench
