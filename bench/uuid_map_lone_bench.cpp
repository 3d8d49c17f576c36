// Lone changes of a UUIDMap of N pairs: one insertPair or erasePairForKey per call, each call
// its own transaction with its undo step recorded, and undo and redo of such a step; beside
// std::map<uuid, uuid> inserting or erasing one key at the same size. This is what an editor or
// a scripting session does, and what must cost in proportion to the change, not to the map.
//
// Each iteration times a batch of kBatch calls (manual time around the batch only) and then
// puts the map back to N pairs untimed, so the size stays put at every N; every batch takes
// other keys, so the calls land on cold paths of a large map, as lone edits do. The undo history is
// dropped every so often (untimed), which bounds memory without changing what a call records.
//
// Counters: ns_per_call, allocations_per_call, and undo_step_bytes, the bytes that dropping the
// undo step of one lone call frees (the replaced operator new counts usable sizes, so allocator
// rounding counts too).

#include <benchmark/benchmark.h>

#include <boost/uuid/uuid.hpp>
#include <chrono>
#include <cstdint>
#include <map>
#include <span>
#include <utility>
#include <vector>

#include "allocation_counter.hpp"
#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "filled_map.hpp"
#include "korm/zero/zero.hpp"

namespace {

using arvex::bench::FilledMap;
using arvex::utilities::UUIDMap;
using boost::uuids::uuid;
using korm::zero::Model;
using RawMap = std::map<uuid, uuid>;

constexpr std::size_t kBatch = 64;
constexpr int kBatchesPerHistory = 16;

/// Runs `timed` then `untimed` per iteration, reporting only the time of `timed`.
template <class Timed, class Untimed>
void timeBatches(benchmark::State& state, Timed timed, Untimed untimed) {
    using Clock = std::chrono::steady_clock;
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        std::uint64_t const before = arvex::bench::allocations();
        auto const start = Clock::now();
        timed();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        allocations += arvex::bench::allocations() - before;
        untimed();
    }
    arvex::bench::timePerItem(state, kBatch, "ns_per_call");
    state.counters["allocations_per_call"] =
        static_cast<double>(allocations) / static_cast<double>(state.iterations() * kBatch);
}

/// The bytes that dropping the undo step of `call` (a lone call on a model without history)
/// frees, after which `restore` puts the map back.
template <class Call, class Restore>
double undoStepBytes(Model const& model, Call call, Restore restore) {
    call();
    std::int64_t const kept = arvex::bench::liveBytes();
    model->clearUndoHistory();
    double const bytes = static_cast<double>(kept - arvex::bench::liveBytes());
    restore();
    model->clearUndoHistory();
    return bytes;
}

/// Keys taken kBatch at a time, round a pool: each batch lands on other paths of the tree, so
/// a call pays for the cache misses that a lone change at a random place of a large map pays.
class Batches {
  public:
    explicit Batches(std::vector<uuid> pool) : m_pool(std::move(pool)) {}
    std::span<uuid const> current() const {
        return std::span<uuid const>(m_pool).subspan(m_at, kBatch);
    }
    void advance() { m_at = m_at + 2 * kBatch <= m_pool.size() ? m_at + kBatch : 0; }

  private:
    std::vector<uuid> m_pool;
    std::size_t m_at = 0;
};

constexpr std::int64_t kFreshKeys = 1 << 14;

enum class Lone { Insert, Erase, UndoInsert, RedoInsert };

template <Lone WHAT>
void loneArvex(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 21);
    Batches fresh(arvex::bench::randomUuids(kFreshKeys, 22));
    Batches present(keys);
    FilledMap filled(keys);
    UUIDMap::Impl& map = *filled.map;
    Model const& model = filled.model;
    auto const insertFresh = [&] {
        for (auto const& key : fresh.current()) {
            map.insertPair(key, key);
        }
    };
    auto const eraseFresh = [&] {
        for (auto const& key : fresh.current()) {
            map.erasePairForKey(key);
        }
    };
    auto const undoAll = [&] {
        for (std::size_t i = 0; i < kBatch; ++i) {
            model.undo();
        }
    };
    auto const redoAll = [&] {
        for (std::size_t i = 0; i < kBatch; ++i) {
            model.redo();
        }
    };
    // Only inserting and erasing again adds steps for good; the other loops take back their
    // own steps (an undone step is dropped by the next change).
    int batches = 0;
    auto const eraseAndMoveOn = [&] {
        eraseFresh();
        fresh.advance();
        if (++batches % kBatchesPerHistory == 0) {
            model->clearUndoHistory();
        }
    };
    switch (WHAT) {
        case Lone::Insert:
            timeBatches(state, insertFresh, eraseAndMoveOn);
            break;
        case Lone::Erase:
            timeBatches(
                state,
                [&] {
                    for (auto const& key : present.current()) {
                        map.erasePairForKey(key);
                    }
                },
                [&] { undoAll(), present.advance(); });
            break;
        case Lone::UndoInsert:
            insertFresh();
            timeBatches(state, undoAll, [&] { fresh.advance(), insertFresh(); });
            undoAll();
            break;
        case Lone::RedoInsert:
            insertFresh();
            undoAll();
            timeBatches(state, redoAll,
                        [&] { undoAll(), fresh.advance(), insertFresh(), undoAll(); });
            break;
    }
    model->clearUndoHistory();
    uuid const one = fresh.current().front();
    if (WHAT == Lone::UndoInsert) {
        state.counters["undo_step_bytes"] = undoStepBytes(
            model, [&] { map.insertPair(one, one); }, [&] { map.erasePairForKey(one); });
    } else if (WHAT == Lone::Erase) {
        state.counters["undo_step_bytes"] = undoStepBytes(
            model, [&] { map.erasePairForKey(keys.front()); }, [&] { model.undo(); });
    }
}

template <bool INSERT>
void loneRaw(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 21);
    Batches fresh(arvex::bench::randomUuids(kFreshKeys, 22));
    Batches present(keys);
    RawMap raw;
    for (auto const& key : keys) {
        raw.emplace(key, key);
    }
    if (INSERT) {
        timeBatches(
            state,
            [&] {
                for (auto const& key : fresh.current()) {
                    raw.emplace(key, key);
                }
            },
            [&] {
                for (auto const& key : fresh.current()) {
                    raw.erase(key);
                }
                fresh.advance();
            });
    } else {
        timeBatches(
            state,
            [&] {
                for (auto const& key : present.current()) {
                    raw.erase(key);
                }
            },
            [&] {
                for (auto const& key : present.current()) {
                    raw.emplace(key, key);
                }
                present.advance();
            });
    }
}

void registerAll() {
    for (auto n : arvex::bench::sizes({1000, 10000, 100000, 1000000})) {
        auto add = [n](char const* name, auto function) {
            benchmark::RegisterBenchmark(name, function)->Arg(n)->UseManualTime();
        };
        add("loneInsertPair/arvex", loneArvex<Lone::Insert>);
        add("loneInsertPair/raw", loneRaw<true>);
        add("loneErasePairForKey/arvex", loneArvex<Lone::Erase>);
        add("loneErasePairForKey/raw", loneRaw<false>);
        add("undoLoneInsert/arvex", loneArvex<Lone::UndoInsert>);
        add("redoLoneInsert/arvex", loneArvex<Lone::RedoInsert>);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
