// The keyed map collection against a plain std::map from UUID to entry record: filing N
// entries with random keys in one transaction (each filing in its change bracket, with the
// containment bookkeeping), and finding each of them by key in random order (findRecord, which
// copies no counted handle, as a value look-up does).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "bench_support.hpp"
#include "collection_test_classes.hpp"

namespace {

using korm::zero::CollisionResolution;
using korm::zero::Model;
using korm::zero::Transaction;
using korm::zero::colltest::Entry;
using korm::zero::colltest::Holder;
using Uuid = boost::uuids::uuid;

// A model with a holder and N free entries keyed by `keys`.
struct Fixture {
    explicit Fixture(std::vector<Uuid> const& keys) {
        Transaction transaction = model->beginTransaction(false);
        holder = Holder::create(model);
        entries.reserve(keys.size());
        for (auto const& key : keys) {
            entries.push_back(Entry::create(model, key));
        }
        transaction.commit();
    }
    Model model = Model::create();
    Holder holder;
    std::vector<Entry> entries;
};

void perElement(benchmark::State& state) {
    arvex::bench::timePerItem(state, state.range(0), "ns_per_elem");
}

void insertArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto fixture = std::make_unique<Fixture>(keys);
        auto& map = fixture->holder->map();
        state.ResumeTiming();
        Transaction transaction = fixture->model->beginTransaction(false);
        for (auto const& entry : fixture->entries) {
            map.insert(entry, CollisionResolution::REPORT);
        }
        transaction.commit();
        state.PauseTiming();
        fixture.reset();
        state.ResumeTiming();
    }
    perElement(state);
}

void insertRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 1);
    Fixture const fixture(keys);
    for (auto _ : state) {
        std::map<Uuid, Entry::Impl*> map;
        for (auto const& entry : fixture.entries) {
            map.emplace(entry->getKey(), entry.operator->());
        }
        benchmark::DoNotOptimize(map);
        state.PauseTiming();
        map.clear();
        state.ResumeTiming();
    }
    perElement(state);
}

std::vector<Uuid> shuffled(std::vector<Uuid> keys) {
    std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
    return keys;
}

void findArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 2);
    Fixture const fixture(keys);
    auto& map = fixture.holder->map();
    // One transaction: filed one by one outside a transaction, each filing would be an undo
    // step holding a copy of the whole map (quadratic memory).
    Transaction transaction = fixture.model->beginTransaction(false);
    for (auto const& entry : fixture.entries) {
        map.insert(entry, CollisionResolution::REPORT);
    }
    transaction.commit();
    auto const order = shuffled(keys);
    for (auto _ : state) {
        for (auto const& key : order) {
            benchmark::DoNotOptimize(map.findRecord(key));
        }
    }
    perElement(state);
}

void findRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 2);
    Fixture const fixture(keys);
    std::map<Uuid, Entry::Impl*> map;
    for (auto const& entry : fixture.entries) {
        map.emplace(entry->getKey(), entry.operator->());
    }
    auto const order = shuffled(keys);
    for (auto _ : state) {
        for (auto const& key : order) {
            auto const it = map.find(key);
            benchmark::DoNotOptimize(it == map.end() ? nullptr : it->second);
        }
    }
    perElement(state);
}

void registerAll() {
    for (auto n : arvex::bench::sizes({1000, 100000})) {
        auto const unit = benchmark::kMicrosecond;
        benchmark::RegisterBenchmark("mapInsert/arvex", insertArvex)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("mapInsert/raw", insertRaw)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("mapFind/arvex", findArvex)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("mapFind/raw", findRaw)->Arg(n)->Unit(unit);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
