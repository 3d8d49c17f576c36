// The model framework: an empty transaction, creating elements in one transaction, changing
// one property of every element in one transaction, and undo and redo of both. Each reports
// time per element and the bytes allocated per element (counted by the replaced global
// operator new of the allocation counter), against a raw baseline on standard containers where
// one makes sense.

#include <benchmark/benchmark.h>

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <unordered_map>
#include <vector>

#include "allocation_counter.hpp"
#include "bench_support.hpp"
#include "korm/zero/zero.hpp"
#include "test_node.hpp"

namespace {

using korm::zero::Model;
using korm::zero::Transaction;
using korm::zero::test::TestNode;

// Bytes and allocations of a timed section, reported per element.
class AllocationMeter {
  public:
    void start() {
        m_bytes = arvex::bench::allocatedBytes();
        m_count = arvex::bench::allocations();
    }
    void stop() {
        m_totalBytes += arvex::bench::allocatedBytes() - m_bytes;
        m_totalCount += arvex::bench::allocations() - m_count;
    }
    void report(benchmark::State& state, std::int64_t elementsPerIteration) const {
        double const elements =
            static_cast<double>(state.iterations()) * static_cast<double>(elementsPerIteration);
        state.counters["bytes_per_elem"] = static_cast<double>(m_totalBytes) / elements;
        state.counters["allocs_per_elem"] = static_cast<double>(m_totalCount) / elements;
        arvex::bench::timePerItem(state, elementsPerIteration, "ns_per_elem");
    }

  private:
    std::uint64_t m_bytes = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_totalBytes = 0;
    std::uint64_t m_totalCount = 0;
};

// ---- empty transaction ------------------------------------------------------------------

void emptyTransaction(benchmark::State& state) {
    Model model = Model::create();
    auto* impl = model.getImpl();
    for (auto _ : state) {
        Transaction transaction = impl->beginTransaction(false);
        transaction.commit();
    }
}

// ---- creation ---------------------------------------------------------------------------

// A model of `count` elements, which are also listed in `elements` in creation order (the
// order a caller walking a collection of them would use).
Model populated(std::int64_t count, std::vector<TestNode>& elements) {
    Model model = Model::create();
    Transaction transaction = model->beginTransaction(false);
    elements.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
        elements.push_back(TestNode::create(model));
    }
    transaction.commit();
    return model;
}

void createArvex(benchmark::State& state) {
    auto const count = state.range(0);
    AllocationMeter meter;
    for (auto _ : state) {
        Model model = Model::create();
        meter.start();
        {
            Transaction transaction = model->beginTransaction(false);
            for (std::int64_t i = 0; i < count; ++i) {
                TestNode::create(model);
            }
            transaction.commit();
        }
        meter.stop();
        state.PauseTiming();
        model = Model();
        state.ResumeTiming();
    }
    meter.report(state, count);
}

// Raw baseline: the same number of plain heap objects with random UUIDs in a hash map.
struct Plain {
    boost::uuids::uuid id;
    std::u16string name;
    std::int64_t weight = 0;
};

struct UuidHash {
    std::size_t operator()(boost::uuids::uuid const& id) const noexcept {
        return korm::zero::services::hashers::KORM0Hasher()(id);
    }
};

using PlainMap = std::unordered_map<boost::uuids::uuid, std::unique_ptr<Plain>, UuidHash>;

void createRaw(benchmark::State& state) {
    auto const count = state.range(0);
    AllocationMeter meter;
    for (auto _ : state) {
        PlainMap map;
        meter.start();
        for (std::int64_t i = 0; i < count; ++i) {
            auto plain = std::make_unique<Plain>();
            plain->id = korm::zero::ElementImpl::generateNewUuid();
            map.emplace(plain->id, std::move(plain));
        }
        meter.stop();
        state.PauseTiming();
        map = PlainMap();
        state.ResumeTiming();
    }
    meter.report(state, count);
}

// ---- changing one property of every element ---------------------------------------------

void changeArvex(benchmark::State& state) {
    auto const count = state.range(0);
    std::vector<TestNode> elements;
    Model model = populated(count, elements);
    AllocationMeter meter;
    std::int64_t round = 0;
    for (auto _ : state) {
        ++round;
        meter.start();
        {
            Transaction transaction = model->beginTransaction(false);
            for (auto const& element : elements) {
                element->setWeight(round);
            }
            transaction.commit();
        }
        meter.stop();
        state.PauseTiming();
        model->clearUndoHistory();
        state.ResumeTiming();
    }
    meter.report(state, count);
}

// Raw baseline: change the field and keep the old value in an undo vector.
void changeRaw(benchmark::State& state) {
    auto const count = state.range(0);
    std::vector<Plain> plains(static_cast<std::size_t>(count));
    AllocationMeter meter;
    std::int64_t round = 0;
    for (auto _ : state) {
        ++round;
        meter.start();
        std::vector<std::pair<Plain*, std::int64_t>> undo;
        for (auto& plain : plains) {
            undo.emplace_back(&plain, plain.weight);
            plain.weight = round;
        }
        meter.stop();
        benchmark::DoNotOptimize(undo.data());
    }
    meter.report(state, count);
}

// ---- undo and redo ----------------------------------------------------------------------

enum class Step { CREATE, CHANGE };

// A model whose last undo step is `count` creations or `count` changes.
Model prepared(Step step, std::int64_t count) {
    if (step == Step::CREATE) {
        Model model = Model::create();
        Transaction transaction = model->beginTransaction(false);
        for (std::int64_t i = 0; i < count; ++i) {
            TestNode::create(model);
        }
        transaction.commit();
        return model;
    }
    std::vector<TestNode> elements;
    Model model = populated(count, elements);
    Transaction transaction = model->beginTransaction(false);
    for (auto const& element : elements) {
        element->setWeight(7);
    }
    transaction.commit();
    return model;
}

template <Step S>
void undoArvex(benchmark::State& state) {
    auto const count = state.range(0);
    Model model = prepared(S, count);
    AllocationMeter meter;
    for (auto _ : state) {
        meter.start();
        model.undo();
        meter.stop();
        state.PauseTiming();
        model.redo();
        state.ResumeTiming();
    }
    meter.report(state, count);
}

template <Step S>
void redoArvex(benchmark::State& state) {
    auto const count = state.range(0);
    Model model = prepared(S, count);
    AllocationMeter meter;
    for (auto _ : state) {
        state.PauseTiming();
        model.undo();
        state.ResumeTiming();
        meter.start();
        model.redo();
        meter.stop();
    }
    meter.report(state, count);
}

// Raw baseline for undoing changes: put the old values back from an undo vector.
void undoChangeRaw(benchmark::State& state) {
    auto const count = state.range(0);
    std::vector<Plain> plains(static_cast<std::size_t>(count));
    std::vector<std::pair<Plain*, std::int64_t>> undo;
    for (auto& plain : plains) {
        undo.emplace_back(&plain, plain.weight);
        plain.weight = 7;
    }
    AllocationMeter meter;
    for (auto _ : state) {
        meter.start();
        for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
            std::swap(it->first->weight, it->second);
        }
        meter.stop();
        benchmark::DoNotOptimize(plains.data());
    }
    meter.report(state, count);
}

// Raw baseline for undoing creations: take the objects out of the hash map (kept aside).
void undoCreateRaw(benchmark::State& state) {
    auto const count = state.range(0);
    PlainMap map;
    std::vector<std::unique_ptr<Plain>> created;
    for (std::int64_t i = 0; i < count; ++i) {
        auto plain = std::make_unique<Plain>();
        plain->id = korm::zero::ElementImpl::generateNewUuid();
        created.push_back(std::move(plain));
    }
    AllocationMeter meter;
    for (auto _ : state) {
        state.PauseTiming();
        for (auto& plain : created) {
            map.emplace(plain->id, std::move(plain));
        }
        state.ResumeTiming();
        meter.start();
        std::size_t i = 0;
        for (auto it = map.begin(); it != map.end(); it = map.erase(it)) {
            created[i++] = std::move(it->second);
        }
        meter.stop();
    }
    meter.report(state, count);
}

void registerAll() {
    benchmark::RegisterBenchmark("emptyTransaction/arvex", emptyTransaction);
    for (auto n : arvex::bench::sizes({1000, 1000000})) {
        auto const unit = benchmark::kMillisecond;
        benchmark::RegisterBenchmark("create/arvex", createArvex)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("create/raw", createRaw)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("changeProperty/arvex", changeArvex)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("changeProperty/raw", changeRaw)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("undoCreate/arvex", undoArvex<Step::CREATE>)
            ->Arg(n)
            ->Unit(unit);
        benchmark::RegisterBenchmark("undoCreate/raw", undoCreateRaw)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("redoCreate/arvex", redoArvex<Step::CREATE>)
            ->Arg(n)
            ->Unit(unit);
        benchmark::RegisterBenchmark("undoChange/arvex", undoArvex<Step::CHANGE>)
            ->Arg(n)
            ->Unit(unit);
        benchmark::RegisterBenchmark("undoChange/raw", undoChangeRaw)->Arg(n)->Unit(unit);
        benchmark::RegisterBenchmark("redoChange/arvex", redoArvex<Step::CHANGE>)
            ->Arg(n)
            ->Unit(unit);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
