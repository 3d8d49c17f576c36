#pragma once

// Shared pieces of the benchmark programs.
//
// Every measured operation is registered twice, as "<operation>/arvex/<args>" and as
// "<operation>/raw/<args>", the second doing the same work on a plain standard container or a
// plain loop; a third, "<operation>/absl/<args>", may do it on an Abseil container. After the
// run the reporter prints, for each baseline, the ratio of the arvex time to the baseline's time
// measured in the same run.

#include <benchmark/benchmark.h>

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace arvex::bench {

/// The sizes to register. In a smoke run (ARVEX_BENCH_SMOKE set, as the test command does)
/// only the first, smallest size is kept.
std::vector<std::int64_t> sizes(std::initializer_list<std::int64_t> all);

/// True in a smoke run.
bool smokeRun();

/// Reports the time per item as the counter `name` ("ns_per_pair", ...), for `items` items
/// handled in each iteration.
void timePerItem(benchmark::State& state, std::int64_t items, char const* name);

/// `count` random (version 4) UUIDs, the same for a given seed; distinct in practice.
std::vector<boost::uuids::uuid> randomUuids(std::int64_t count, unsigned seed);

}  // namespace arvex::bench
