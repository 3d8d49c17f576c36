// UUIDToUUIDMap beside std::map<uuid, std::map<uuid, uuid>> doing the same work in the same
// run: inserting C container keys x 100 sub keys in one transaction, finding the value of each
// (container key, sub key) in random order, and finding one sub key's values over all
// container keys.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "korm/zero/zero.hpp"

namespace {

using arvex::utilities::UUIDToUUIDMap;
using boost::uuids::uuid;
using korm::zero::Model;
using korm::zero::Transaction;
using RawMap = std::map<uuid, std::map<uuid, uuid>>;

constexpr std::int64_t SUB_KEYS = 100;

uuid valueOf(uuid key, uuid const& subKey) {
    for (std::size_t i = 0; i < 16; ++i) {
        key.data[i] ^= subKey.data[i];
    }
    key.data[0] |= 1;  // never nil
    return key;
}

/// Every (container key, sub key) pair, container keys outermost.
struct Pairs {
    std::vector<uuid> containerKeys;
    std::vector<uuid> subKeys;

    Pairs(std::int64_t containers, std::int64_t subs, unsigned seed)
        : containerKeys(arvex::bench::randomUuids(containers, seed))
        , subKeys(arvex::bench::randomUuids(subs, seed + 1)) {}

    /// All pairs in a random order.
    std::vector<std::pair<uuid, uuid>> shuffled(unsigned seed) const {
        std::vector<std::pair<uuid, uuid>> all;
        all.reserve(containerKeys.size() * subKeys.size());
        for (auto const& c : containerKeys) {
            for (auto const& s : subKeys) {
                all.emplace_back(c, s);
            }
        }
        std::shuffle(all.begin(), all.end(), std::mt19937_64(seed));
        return all;
    }
};

void perPair(benchmark::State& state, std::int64_t pairsPerIteration) {
    arvex::bench::timePerItem(state, pairsPerIteration, "ns_per_pair");
}

/// A model holding one two-level map filled with `order` in one transaction, no undo history.
struct Filled {
    Model model = Model::create();
    UUIDToUUIDMap map = UUIDToUUIDMap::create(model);

    explicit Filled(std::vector<std::pair<uuid, uuid>> const& order) {
        Transaction transaction = model->beginTransaction(false);
        for (auto const& [c, s] : order) {
            map->insertPair(c, s, valueOf(c, s));
        }
        transaction.commit();
        model->clearUndoHistory();
    }
};

RawMap filledRaw(std::vector<std::pair<uuid, uuid>> const& order) {
    RawMap raw;
    for (auto const& [c, s] : order) {
        raw[c].emplace(s, valueOf(c, s));
    }
    return raw;
}

// ---- insertPair: C x 100 pairs in random order, one transaction ----------------------------

void insertArvex(benchmark::State& state) {
    auto const order = Pairs(state.range(0), SUB_KEYS, 1).shuffled(2);
    for (auto _ : state) {
        state.PauseTiming();
        auto filled = std::make_unique<Filled>(std::vector<std::pair<uuid, uuid>>());
        state.ResumeTiming();
        {
            Transaction transaction = filled->model->beginTransaction(false);
            for (auto const& [c, s] : order) {
                filled->map->insertPair(c, s, valueOf(c, s));
            }
            transaction.commit();
        }
        state.PauseTiming();
        filled.reset();
        state.ResumeTiming();
    }
    perPair(state, static_cast<std::int64_t>(order.size()));
}

void insertRaw(benchmark::State& state) {
    auto const order = Pairs(state.range(0), SUB_KEYS, 1).shuffled(2);
    for (auto _ : state) {
        RawMap raw;
        for (auto const& [c, s] : order) {
            raw[c].emplace(s, valueOf(c, s));
        }
        benchmark::DoNotOptimize(raw);
        state.PauseTiming();
        raw = RawMap();
        state.ResumeTiming();
    }
    perPair(state, static_cast<std::int64_t>(order.size()));
}

// ---- findValueForKeys: every pair, random order --------------------------------------------

void findArvex(benchmark::State& state) {
    Pairs const pairs(state.range(0), SUB_KEYS, 3);
    Filled const filled(pairs.shuffled(4));
    auto const order = pairs.shuffled(5);
    UUIDToUUIDMap::Impl const& map = *filled.map;
    for (auto _ : state) {
        for (auto const& [c, s] : order) {
            benchmark::DoNotOptimize(map.findValueForKeys(c, s));
        }
    }
    perPair(state, static_cast<std::int64_t>(order.size()));
}

void findRaw(benchmark::State& state) {
    Pairs const pairs(state.range(0), SUB_KEYS, 3);
    RawMap const raw = filledRaw(pairs.shuffled(4));
    auto const order = pairs.shuffled(5);
    for (auto _ : state) {
        for (auto const& [c, s] : order) {
            uuid value{};
            if (auto const outer = raw.find(c); outer != raw.end()) {
                if (auto const inner = outer->second.find(s); inner != outer->second.end()) {
                    value = inner->second;
                }
            }
            benchmark::DoNotOptimize(value);
        }
    }
    perPair(state, static_cast<std::int64_t>(order.size()));
}

// ---- findValuesWithSubKey: C container keys of 10 sub keys, 9 of 10 holding the one asked --

constexpr std::int64_t SPARSE_SUB_KEYS = 10;

/// The pairs of the sub-key search: container key i lacks sub key 0 when i % 10 == 0.
std::vector<std::pair<uuid, uuid>> sparsePairs(Pairs const& pairs) {
    std::vector<std::pair<uuid, uuid>> all;
    for (std::size_t i = 0; i < pairs.containerKeys.size(); ++i) {
        for (std::size_t j = i % 10 == 0 ? 1 : 0; j < pairs.subKeys.size(); ++j) {
            all.emplace_back(pairs.containerKeys[i], pairs.subKeys[j]);
        }
    }
    return all;
}

void withSubKeyArvex(benchmark::State& state) {
    Pairs const pairs(state.range(0), SPARSE_SUB_KEYS, 6);
    Filled const filled(sparsePairs(pairs));
    UUIDToUUIDMap::Impl const& map = *filled.map;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.findValuesWithSubKey(pairs.subKeys.front()));
    }
    perPair(state, state.range(0));
}

void withSubKeyRaw(benchmark::State& state) {
    Pairs const pairs(state.range(0), SPARSE_SUB_KEYS, 6);
    RawMap const raw = filledRaw(sparsePairs(pairs));
    uuid const subKey = pairs.subKeys.front();
    for (auto _ : state) {
        std::vector<uuid> values;
        for (auto const& [c, inner] : raw) {
            if (auto const it = inner.find(subKey); it != inner.end() && !it->second.is_nil()) {
                values.push_back(it->second);
            }
        }
        benchmark::DoNotOptimize(values);
    }
    perPair(state, state.range(0));
}

// Sizes: 1,000 container keys of 100 sub keys for insertPair and findValueForKeys, 10,000
// container keys for findValuesWithSubKey (ns_per_pair there is per container key). A smoke
// run keeps the small first size of each.
void registerAll() {
    auto const ms = benchmark::kMillisecond;
    for (auto n : arvex::bench::sizes({10, 1000})) {
        benchmark::RegisterBenchmark("insertPair/arvex", insertArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("insertPair/raw", insertRaw)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("findValueForKeys/arvex", findArvex)->Arg(n)->Unit(ms);
        benchmark::RegisterBenchmark("findValueForKeys/raw", findRaw)->Arg(n)->Unit(ms);
    }
    for (auto n : arvex::bench::sizes({100, 10000})) {
        benchmark::RegisterBenchmark("findValuesWithSubKey/arvex", withSubKeyArvex)
            ->Arg(n)
            ->Unit(ms);
        benchmark::RegisterBenchmark("findValuesWithSubKey/raw", withSubKeyRaw)->Arg(n)->Unit(ms);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
