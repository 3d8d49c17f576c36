// UUIDMap beside std::map<uuid, uuid> doing the same work in the same run: inserting N random
// keys in one transaction, finding values and testing keys in random order, erasing half the
// keys, erasing 1,000 pairs that share a value, undoing the insert step, and the live bytes
// per pair. Lone calls, each its own transaction, are in uuid_map_lone_bench.cpp.
//
// Bytes are counted by the replaced global operator new and delete of the allocation counter
// (usable sizes, so allocator rounding counts too).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <random>
#include <vector>

#include "allocation_counter.hpp"
#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "filled_map.hpp"
#include "korm/zero/zero.hpp"

namespace {

using arvex::bench::FilledMap;
using arvex::bench::valueOf;
using arvex::utilities::UUIDMap;
using boost::uuids::uuid;
using korm::zero::Model;
using korm::zero::Transaction;
using RawMap = std::map<uuid, uuid>;

std::vector<uuid> shuffled(std::vector<uuid> keys, unsigned seed) {
    std::shuffle(keys.begin(), keys.end(), std::mt19937_64(seed));
    return keys;
}

void perPair(benchmark::State& state, std::int64_t pairsPerIteration) {
    arvex::bench::timePerItem(state, pairsPerIteration, "ns_per_pair");
}

RawMap filledRaw(std::vector<uuid> const& keys) {
    RawMap raw;
    for (auto const& key : keys) {
        raw.emplace(key, valueOf(key));
    }
    return raw;
}

// ---- insertPair: all N in one transaction, and the live bytes of the result ---------------

void insertArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 1);
    double liveBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto filled = std::make_unique<FilledMap>(std::vector<uuid>());
        std::int64_t const before = arvex::bench::liveBytes();
        state.ResumeTiming();
        filled->insertAll(keys);
        state.PauseTiming();
        filled->model->clearUndoHistory();
        liveBytes = static_cast<double>(arvex::bench::liveBytes() - before);
        filled.reset();
        state.ResumeTiming();
    }
    perPair(state, state.range(0));
    state.counters["live_bytes_per_pair"] = liveBytes / static_cast<double>(state.range(0));
}

void insertRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 1);
    double liveBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto raw = std::make_unique<RawMap>();
        std::int64_t const before = arvex::bench::liveBytes();
        state.ResumeTiming();
        for (auto const& key : keys) {
            raw->emplace(key, valueOf(key));
        }
        state.PauseTiming();
        liveBytes = static_cast<double>(arvex::bench::liveBytes() - before);
        raw.reset();
        state.ResumeTiming();
    }
    perPair(state, state.range(0));
    state.counters["live_bytes_per_pair"] = liveBytes / static_cast<double>(state.range(0));
}

// ---- findValueForKey and hasKey, random order ---------------------------------------------

template <bool FIND>
void lookupArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 2);
    auto const order = shuffled(keys, 3);
    FilledMap const filled(keys);
    UUIDMap::Impl const& map = *filled.map;
    for (auto _ : state) {
        for (auto const& key : order) {
            if constexpr (FIND) {
                benchmark::DoNotOptimize(map.findValueForKey(key));
            } else {
                benchmark::DoNotOptimize(map.hasKey(key));
            }
        }
    }
    perPair(state, state.range(0));
}

template <bool FIND>
void lookupRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 2);
    auto const order = shuffled(keys, 3);
    RawMap const raw = filledRaw(keys);
    for (auto _ : state) {
        for (auto const& key : order) {
            auto const it = raw.find(key);
            if constexpr (FIND) {
                benchmark::DoNotOptimize(it == raw.end() ? uuid() : it->second);
            } else {
                benchmark::DoNotOptimize(it != raw.end());
            }
        }
    }
    perPair(state, state.range(0));
}

// ---- erasePairForKey: half the keys in one transaction ------------------------------------

void eraseKeyArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 4);
    auto const half = [&] {
        auto order = shuffled(keys, 5);
        order.resize(order.size() / 2);
        return order;
    }();
    FilledMap filled(keys);
    for (auto _ : state) {
        {
            Transaction transaction = filled.model->beginTransaction(false);
            for (auto const& key : half) {
                filled.map->erasePairForKey(key);
            }
            transaction.commit();
        }
        state.PauseTiming();
        filled.model.undo();
        filled.model->clearUndoHistory();
        state.ResumeTiming();
    }
    perPair(state, static_cast<std::int64_t>(half.size()));
}

void eraseKeyRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 4);
    auto order = shuffled(keys, 5);
    order.resize(order.size() / 2);
    RawMap const full = filledRaw(keys);
    for (auto _ : state) {
        state.PauseTiming();
        RawMap raw = full;
        state.ResumeTiming();
        for (auto const& key : order) {
            raw.erase(key);
        }
        state.PauseTiming();
        raw = RawMap();
        state.ResumeTiming();
    }
    perPair(state, static_cast<std::int64_t>(order.size()));
}

// ---- erasePairsForValue: 1,000 of the N pairs share one value ------------------------------

constexpr std::int64_t SHARED = 1000;
uuid const sharedValue = arvex::bench::randomUuids(1, 99).front();

void eraseValueArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 6);
    FilledMap filled(keys);
    {
        Transaction transaction = filled.model->beginTransaction(false);
        for (std::int64_t i = 0; i < std::min<std::int64_t>(SHARED, state.range(0)); ++i) {
            filled.map->erasePairForKey(keys[static_cast<std::size_t>(i)]);
            filled.map->insertPair(keys[static_cast<std::size_t>(i)], sharedValue);
        }
        transaction.commit();
        filled.model->clearUndoHistory();
    }
    for (auto _ : state) {
        {
            Transaction transaction = filled.model->beginTransaction(false);
            filled.map->erasePairsForValue(sharedValue);
            transaction.commit();
        }
        state.PauseTiming();
        filled.model.undo();
        filled.model->clearUndoHistory();
        state.ResumeTiming();
    }
    perPair(state, SHARED);
}

void eraseValueRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 6);
    RawMap full = filledRaw(keys);
    for (std::int64_t i = 0; i < std::min<std::int64_t>(SHARED, state.range(0)); ++i) {
        full[keys[static_cast<std::size_t>(i)]] = sharedValue;
    }
    for (auto _ : state) {
        state.PauseTiming();
        RawMap raw = full;
        state.ResumeTiming();
        for (auto it = raw.begin(); it != raw.end();) {
            it = it->second == sharedValue ? raw.erase(it) : std::next(it);
        }
        state.PauseTiming();
        raw = RawMap();
        state.ResumeTiming();
    }
    perPair(state, SHARED);
}

// ---- undo of the insert step ---------------------------------------------------------------

void undoInsertArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 7);
    Model model = Model::create();
    UUIDMap const map = UUIDMap::create(model);
    model->clearUndoHistory();
    {
        Transaction transaction = model->beginTransaction(false);
        for (auto const& key : keys) {
            map->insertPair(key, valueOf(key));
        }
        transaction.commit();
    }
    for (auto _ : state) {
        model.undo();
        state.PauseTiming();
        model.redo();
        state.ResumeTiming();
    }
    perPair(state, state.range(0));
}

/// Raw: taking the N inserted pairs out again.
void undoInsertRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 7);
    for (auto _ : state) {
        state.PauseTiming();
        RawMap raw = filledRaw(keys);
        state.ResumeTiming();
        for (auto const& key : keys) {
            raw.erase(key);
        }
    }
    perPair(state, state.range(0));
}

// Sizes. Every operation runs on maps of 1,000 to 1,000,000 pairs: destroying an
// entry joins the caller's transaction, so erasing many pairs in one transaction saves the
// map's "Pairs" once rather than once per erasure.
void registerAll() {
    auto const ms = benchmark::kMillisecond;
    for (auto n : arvex::bench::sizes({1000, 10000, 100000, 1000000})) {
        benchmark::RegisterBenchmark("insertPair/arvex", insertArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("insertPair/raw", insertRaw)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("findValueForKey/arvex", lookupArvex<true>)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("findValueForKey/raw", lookupRaw<true>)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("hasKey/arvex", lookupArvex<false>)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("hasKey/raw", lookupRaw<false>)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("erasePairForKey/arvex", eraseKeyArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("erasePairForKey/raw", eraseKeyRaw)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("erasePairsForValue/arvex", eraseValueArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("erasePairsForValue/raw", eraseValueRaw)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("undoInsert/arvex", undoInsertArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("undoInsert/raw", undoInsertRaw)->Arg(n)->Unit(ms);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
