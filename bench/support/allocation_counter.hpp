#pragma once

// What the global operator new and delete have handed out, in a benchmark program that links
// the bench_allocation_counter object library (which replaces them). Sizes are the allocator's
// usable sizes, so its rounding counts too. The counts are exact while one thread at a time
// allocates, as in the benchmark programs.

#include <cstdint>

namespace arvex::bench {

/// Bytes allocated and not yet freed.
std::int64_t liveBytes() noexcept;

/// Bytes ever allocated.
std::uint64_t allocatedBytes() noexcept;

/// Allocations ever made.
std::uint64_t allocations() noexcept;

}  // namespace arvex::bench
