#include "allocation_counter.hpp"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// The programs allocate on one thread at a time (their benchmarks run single-threaded), so the
// counters are updated with a plain load and store rather than a locked read-modify-write,
// which would add its cost to every allocation the measured code makes. They stay atomics so
// that a read from another thread is not a data race.
template <class T>
void add(std::atomic<T>& counter, T amount) noexcept {
    counter.store(counter.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

std::atomic<std::int64_t> g_liveBytes{0};
std::atomic<std::uint64_t> g_allocatedBytes{0};
std::atomic<std::uint64_t> g_allocations{0};

// Out of line, so that the compiler does not see free() meet an inlined operator new.
[[gnu::noinline]] void release(void* p) noexcept {
    if (p != nullptr) {
        add(g_liveBytes, -static_cast<std::int64_t>(malloc_usable_size(p)));
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
    add(g_liveBytes, static_cast<std::int64_t>(usable));
    add(g_allocatedBytes, static_cast<std::uint64_t>(usable));
    add(g_allocations, std::uint64_t{1});
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
