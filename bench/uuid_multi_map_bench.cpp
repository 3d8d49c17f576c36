// UUIDMultiMap beside std::multimap<uuid, uuid> doing the same work in the same run: inserting
// N pairs in one transaction, and finding the values of every key in random order, with 1, 10
// and 100 values per key. Arguments: N (the number of pairs), then the values per key.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "korm/zero/zero.hpp"

namespace {

using arvex::utilities::UUIDMultiMap;
using boost::uuids::uuid;
using korm::zero::Model;
using korm::zero::Transaction;
using RawMultimap = std::multimap<uuid, uuid>;
using Pairs = std::vector<std::pair<uuid, uuid>>;

/// The benchmark's N / perKey random keys, in random order.
std::vector<uuid> keysOf(benchmark::State const& state, unsigned seed) {
    return arvex::bench::randomUuids(state.range(0) / state.range(1), seed);
}

/// `perKey` pairs for each key, each with a random value, the keys interleaved in random order.
Pairs pairsOf(std::vector<uuid> const& keys, std::int64_t perKey, unsigned seed) {
    auto const values =
        arvex::bench::randomUuids(static_cast<std::int64_t>(keys.size()) * perKey, seed);
    Pairs pairs;
    pairs.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        pairs.emplace_back(keys[i % keys.size()], values[i]);
    }
    std::shuffle(pairs.begin(), pairs.end(), std::mt19937_64(seed));
    return pairs;
}

void perPair(benchmark::State& state) {
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
}

/// A model holding one multimap, filled with `pairs` in one transaction, with no undo history.
struct Filled {
    Model model = Model::create();
    UUIDMultiMap map = UUIDMultiMap::create(model);

    explicit Filled(Pairs const& pairs) {
        Transaction transaction = model->beginTransaction(false);
        for (auto const& [key, value] : pairs) {
            map->insertPair(key, value);
        }
        transaction.commit();
        model->clearUndoHistory();
    }
};

// ---- insertPair: all N in one transaction ----------------------------------------------------

void insertArvex(benchmark::State& state) {
    auto const pairs = pairsOf(keysOf(state, 1), state.range(1), 2);
    for (auto _ : state) {
        state.PauseTiming();
        auto filled = std::make_unique<Filled>(Pairs());
        state.ResumeTiming();
        {
            Transaction transaction = filled->model->beginTransaction(false);
            for (auto const& [key, value] : pairs) {
                filled->map->insertPair(key, value);
            }
            transaction.commit();
        }
        state.PauseTiming();
        filled.reset();
        state.ResumeTiming();
    }
    perPair(state);
}

void insertRaw(benchmark::State& state) {
    auto const pairs = pairsOf(keysOf(state, 1), state.range(1), 2);
    for (auto _ : state) {
        state.PauseTiming();
        auto raw = std::make_unique<RawMultimap>();
        state.ResumeTiming();
        for (auto const& [key, value] : pairs) {
            raw->emplace(key, value);
        }
        state.PauseTiming();
        raw.reset();
        state.ResumeTiming();
    }
    perPair(state);
}

// ---- findValuesForKey: every key once, in random order ---------------------------------------

void findArvex(benchmark::State& state) {
    auto const keys = keysOf(state, 3);
    Filled const filled(pairsOf(keys, state.range(1), 4));
    UUIDMultiMap::Impl const& map = *filled.map;
    for (auto _ : state) {
        for (auto const& key : keys) {
            benchmark::DoNotOptimize(map.findValuesForKey(key));
        }
    }
    perPair(state);
}

void findRaw(benchmark::State& state) {
    auto const keys = keysOf(state, 3);
    auto const pairs = pairsOf(keys, state.range(1), 4);
    RawMultimap const raw(pairs.begin(), pairs.end());
    for (auto _ : state) {
        for (auto const& key : keys) {
            auto const [first, last] = raw.equal_range(key);
            std::vector<uuid> values;
            values.reserve(static_cast<std::size_t>(std::distance(first, last)));
            for (auto it = first; it != last; ++it) {
                values.push_back(it->second);
            }
            benchmark::DoNotOptimize(values);
        }
    }
    perPair(state);
}

void registerAll() {
    auto const ms = benchmark::kMillisecond;
    for (auto n : arvex::bench::sizes({10000, 100000})) {
        for (std::int64_t perKey : {1, 10, 100}) {
            benchmark::RegisterBenchmark("insertPair/arvex", insertArvex)
                ->Args({n, perKey})
                ->Unit(ms);
            benchmark::RegisterBenchmark("insertPair/raw", insertRaw)->Args({n, perKey})->Unit(ms);
            benchmark::RegisterBenchmark("findValuesForKey/arvex", findArvex)
                ->Args({n, perKey})
                ->Unit(ms);
            benchmark::RegisterBenchmark("findValuesForKey/raw", findRaw)
                ->Args({n, perKey})
                ->Unit(ms);
        }
    }
}

int const registered = (registerAll(), 0);

}  // namespace
