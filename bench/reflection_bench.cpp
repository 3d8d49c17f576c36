// Reflective invocation beside the direct call, in the same run: findValueForKey on a filled
// map in random key order, and insertPair of N pairs in one transaction. The reflective side
// does what a generic caller does: it wraps each UUID in a value, invokes the operation through
// the meta registry, and receives the result as a value.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <random>
#include <vector>

#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "korm/zero/zero.hpp"

namespace {

namespace kz = korm::zero;
using arvex::utilities::makeValue;
using arvex::utilities::MetaPackageArvex_utilities;
using arvex::utilities::UUIDMap;
using boost::uuids::uuid;

kz::meta::MetaRegistry& registry() {
    return kz::meta::MetaRegistry::getInstance();
}

MetaPackageArvex_utilities const& package() {
    return *MetaPackageArvex_utilities::getInstance();
}

struct Filled {
    kz::Model model = kz::Model::create();
    UUIDMap map = UUIDMap::create(model);
    std::vector<uuid> keys;

    explicit Filled(std::int64_t count) : keys(arvex::bench::randomUuids(count, 1)) {
        kz::Transaction transaction = model->beginTransaction(false);
        for (auto const& key : keys) {
            map->insertPair(key, key);
        }
        transaction.commit();
        model->clearUndoHistory();
        std::shuffle(keys.begin(), keys.end(), std::mt19937_64(2));
    }
};

void perCall(benchmark::State& state, std::int64_t calls) {
    arvex::bench::timePerItem(state, calls, "ns_per_call");
}

// ---- findValueForKey ------------------------------------------------------------------------

void findReflective(benchmark::State& state) {
    kz::meta::Operation const& operation = package().UUIDMap_findValueForKey;
    Filled const filled(state.range(0));
    for (auto _ : state) {
        for (auto const& key : filled.keys) {
            auto result = registry().invoke(operation, filled.map, {makeValue(key)});
            benchmark::DoNotOptimize(result);
        }
    }
    perCall(state, state.range(0));
}

void findDirect(benchmark::State& state) {
    package();
    Filled const filled(state.range(0));
    for (auto _ : state) {
        for (auto const& key : filled.keys) {
            benchmark::DoNotOptimize(filled.map->findValueForKey(key));
        }
    }
    perCall(state, state.range(0));
}

// ---- insertPair, N pairs in one transaction ---------------------------------------------------

template <class Insert>
void insertInto(benchmark::State& state, Insert insert) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 3);
    kz::Model model = kz::Model::create();
    UUIDMap const map = UUIDMap::create(model);
    model->clearUndoHistory();
    for (auto _ : state) {
        {
            kz::Transaction transaction = model->beginTransaction(false);
            for (auto const& key : keys) {
                insert(map, key);
            }
            transaction.commit();
        }
        state.PauseTiming();
        model.undo();
        model->clearUndoHistory();
        state.ResumeTiming();
    }
    perCall(state, state.range(0));
}

void insertReflective(benchmark::State& state) {
    kz::meta::Operation const& operation = package().UUIDMap_insertPair;
    insertInto(state, [&](UUIDMap const& map, uuid const& key) {
        registry().invoke(operation, map, {makeValue(key), makeValue(key)});
    });
}

void insertDirect(benchmark::State& state) {
    package();
    insertInto(state, [](UUIDMap const& map, uuid const& key) { map->insertPair(key, key); });
}

void registerAll() {
    auto const us = benchmark::kMicrosecond;
    for (std::int64_t const n : arvex::bench::sizes({1'000, 100'000})) {
        benchmark::RegisterBenchmark("findValueForKey/arvex", findReflective)->Arg(n)->Unit(us);
        benchmark::RegisterBenchmark("findValueForKey/raw", findDirect)->Arg(n)->Unit(us);
        benchmark::RegisterBenchmark("insertPair/arvex", insertReflective)->Arg(n)->Unit(us);
        benchmark::RegisterBenchmark("insertPair/raw", insertDirect)->Arg(n)->Unit(us);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
