// PersistentMap beside std::map ("raw") and absl::btree_map ("absl") doing the same work in the
// same run, with random UUID keys and 8-byte values: N insertions into an empty container (and
// the live bytes per pair afterwards), finding every key in random order, erasing every key in
// random order, iterating, and copying the container then inserting one key into the copy (the
// cost of keeping an old version, as an undo record of a collection does).
//
// Bytes are counted by the replaced global operator new of the allocation counter.

#include <absl/container/btree_map.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "allocation_counter.hpp"
#include "arvex/utilities/collections/persistent_btree.hpp"
#include "bench_support.hpp"

namespace {

using boost::uuids::uuid;
using Arvex = arvex::utilities::collections::PersistentMap<uuid, std::uint64_t>;
using Raw = std::map<uuid, std::uint64_t>;
using Absl = absl::btree_map<uuid, std::uint64_t>;

std::vector<uuid> shuffled(std::vector<uuid> keys, unsigned seed) {
    std::shuffle(keys.begin(), keys.end(), std::mt19937_64(seed));
    return keys;
}

template <class Map>
std::unique_ptr<Map> filled(std::vector<uuid> const& keys) {
    auto map = std::make_unique<Map>();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        map->emplace(keys[i], i);
    }
    return map;
}

// Runs `body` on a container filled with `keys` outside the timing, and drops it outside too.
template <class Map, class Body>
void onFilled(benchmark::State& state, std::vector<uuid> const& keys, Body body) {
    state.PauseTiming();
    auto map = filled<Map>(keys);
    state.ResumeTiming();
    body(*map);
    state.PauseTiming();
    map.reset();
    state.ResumeTiming();
}

template <class Map>
void insert(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 1);
    double bytes = 0;
    for (auto _ : state) {
        std::int64_t const before = arvex::bench::liveBytes();
        onFilled<Map>(state, {}, [&](Map& map) {
            for (std::size_t i = 0; i < keys.size(); ++i) {
                map.emplace(keys[i], i);
            }
            bytes = static_cast<double>(arvex::bench::liveBytes() - before);
        });
    }
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
    state.counters["bytes_per_pair"] = bytes / static_cast<double>(state.range(0));
}

template <class Map>
void find(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 2);
    auto const order = shuffled(keys, 3);
    auto const map = filled<Map>(keys);
    for (auto _ : state) {
        for (auto const& key : order) {
            auto const it = map->find(key);
            benchmark::DoNotOptimize(it == map->end() ? 0 : it->second);
        }
    }
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
}

template <class Map>
void erase(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 4);
    auto const order = shuffled(keys, 5);
    for (auto _ : state) {
        onFilled<Map>(state, keys, [&](Map& map) {
            for (auto const& key : order) {
                map.erase(key);
            }
        });
    }
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
}

template <class Map>
void iterate(benchmark::State& state) {
    auto const map = filled<Map>(arvex::bench::randomUuids(state.range(0), 6));
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (auto const& [key, value] : *map) {
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
}

// Copying, changing the copy and dropping it again; for the persistent map also the nodes the
// change copied.
template <class Map>
void copyThenInsert(benchmark::State& state) {
    auto const map = filled<Map>(arvex::bench::randomUuids(state.range(0), 7));
    auto const extra = arvex::bench::randomUuids(1, 8).front();
    arvex::utilities::collections::persistentTreeCounters() = {};
    for (auto _ : state) {
        Map copy = *map;
        copy.emplace(extra, 0);
        benchmark::DoNotOptimize(copy);
    }
    if constexpr (std::is_same_v<Map, Arvex>) {
        state.counters["nodes_copied"] = benchmark::Counter(
            static_cast<double>(arvex::utilities::collections::persistentTreeCounters().copied),
            benchmark::Counter::kAvgIterations);
    }
}

using Function = void (*)(benchmark::State&);

// Registers "<name>/arvex/<n>", "<name>/raw/<n>" and "<name>/absl/<n>", in milliseconds from
// 10^5 pairs on unless `unit` says otherwise.
void registerOp(char const* name, std::int64_t n, std::array<Function, 3> const& functions,
                std::optional<benchmark::TimeUnit> unit = std::nullopt) {
    if (!unit) {
        unit = n >= 100000 ? benchmark::kMillisecond : benchmark::kMicrosecond;
    }
    std::array<char const*, 3> const contenders = {"/arvex", "/raw", "/absl"};
    for (std::size_t i = 0; i < functions.size(); ++i) {
        benchmark::RegisterBenchmark((std::string(name) + contenders[i]).c_str(), functions[i])
            ->Arg(n)
            ->Unit(*unit);
    }
}

void registerAll() {
    for (auto n : arvex::bench::sizes({1000, 10000, 100000, 1000000})) {
        registerOp("insert", n, {insert<Arvex>, insert<Raw>, insert<Absl>});
        registerOp("find", n, {find<Arvex>, find<Raw>, find<Absl>});
        registerOp("erase", n, {erase<Arvex>, erase<Raw>, erase<Absl>});
        registerOp("iterate", n, {iterate<Arvex>, iterate<Raw>, iterate<Absl>});
        // Microseconds throughout: the persistent map takes about one at every size.
        registerOp("copyThenInsert", n,
                   {copyThenInsert<Arvex>, copyThenInsert<Raw>, copyThenInsert<Absl>},
                   benchmark::kMicrosecond);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
