// Model files of a model holding one UUIDMap of N pairs: a full save to a fresh file, opening
// that file, and save() after one lone change to a saved model, each beside its baseline
// measured in the same run: building the same model with N inserts in one transaction (the
// bulk insert of the map benchmarks). "build" times that baseline on its own.
//
// Counters:
//   x_build         the figure's mean time over the baseline's, timed on the model the figure
//                   works on (below 1: cheaper than building the model);
//   x_build_cpu     the same ratio of the thread's CPU times: other processes on the machine
//                   do not inflate it, and it leaves out waiting for the disk;
//   ns_per_pair     the figure's time per pair of the model;
//   bytes_per_pair  (save) the size of the saved file per pair;
//   us_per_element  (open) the opening time per element of the opened model;
//   ms_per_save     (lone change) the time of one save(), and cpu_ms_per_save its CPU time
//                   (without the wait for the disk's flush that makes the save durable).
//
// The files live in a directory of their own under the system's temporary directory, removed
// when the program ends.

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <boost/uuid/uuid.hpp>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arvex_utilities.hpp"
#include "bench_support.hpp"
#include "filled_map.hpp"
#include "korm/zero/zero.hpp"

namespace {

namespace fs = std::filesystem;
using arvex::bench::FilledMap;
using arvex::bench::valueOf;
using boost::uuids::uuid;
using korm::zero::Model;
using Clock = std::chrono::steady_clock;

/// Elapsed and CPU seconds of one timed stretch.
struct Lap {
    double wall = 0;
    double cpu = 0;

    Lap& operator+=(Lap const& other) {
        wall += other.wall;
        cpu += other.cpu;
        return *this;
    }
};

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// Times from its construction to lap().
class Stopwatch {
  public:
    Lap lap() const {
        return {std::chrono::duration<double>(Clock::now() - m_wall).count(),
                threadCpuSeconds() - m_cpu};
    }

  private:
    Clock::time_point m_wall = Clock::now();
    double m_cpu = threadCpuSeconds();
};

/// The directory the model files are written to, removed with everything in it at exit.
class ScratchDirectory {
  public:
    ScratchDirectory()
        : m_path(fs::temp_directory_path() / ("model-file-bench-" + std::to_string(getpid()))) {
        fs::create_directories(m_path);
    }
    ScratchDirectory(ScratchDirectory const&) = delete;
    ScratchDirectory& operator=(ScratchDirectory const&) = delete;
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }

    std::string file(std::string const& name) const { return (m_path / name).string(); }

  private:
    fs::path m_path;
};

ScratchDirectory const& scratch() {
    static ScratchDirectory const instance;
    return instance;
}

/// A model filled by the baseline's bulk insert, and the mean time that insert took.
struct BuiltModel {
    std::unique_ptr<FilledMap> filled;
    Lap build;
};

/// Builds the model of `keys` a few times (one large build is long enough to time on its
/// own; small ones are repeated for a steadier mean) and keeps the last one.
BuiltModel buildTimed(std::vector<uuid> const& keys) {
    constexpr int kMostBuilds = 5;
    constexpr double kEnoughSeconds = 0.3;
    BuiltModel built;
    Lap total;
    int builds = 0;
    while (builds < kMostBuilds && (builds == 0 || total.wall < kEnoughSeconds)) {
        built.filled.reset();
        built.filled = std::make_unique<FilledMap>(std::vector<uuid>());
        Stopwatch const stopwatch;
        built.filled->insertAll(keys);
        total += stopwatch.lap();
        ++builds;
    }
    built.filled->model->clearUndoHistory();
    built.build = {total.wall / builds, total.cpu / builds};
    return built;
}

/// Sums the manually timed iterations and reports the mean against the baseline.
class Timing {
  public:
    explicit Timing(benchmark::State& state) : m_state(state) {}

    void add(Lap const& lap) {
        m_state.SetIterationTime(lap.wall);
        m_total += lap;
    }
    /// The mean of the iterations.
    Lap mean() const {
        auto const n =
            static_cast<double>(std::max<benchmark::IterationCount>(1, m_state.iterations()));
        return {m_total.wall / n, m_total.cpu / n};
    }
    void report(Lap const& build) const {
        Lap const lap = mean();
        m_state.counters["x_build"] = lap.wall / build.wall;
        m_state.counters["x_build_cpu"] = lap.cpu / build.cpu;
        arvex::bench::timePerItem(m_state, m_state.range(0), "ns_per_pair");
    }

  private:
    benchmark::State& m_state;
    Lap m_total;
};

// ---- the baseline: N inserts in one transaction --------------------------------------------

void buildModel(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 30);
    for (auto _ : state) {
        BuiltModel const built = buildTimed(keys);
        state.SetIterationTime(built.build.wall);
    }
    arvex::bench::timePerItem(state, state.range(0), "ns_per_pair");
}

// ---- a full save to a fresh file -----------------------------------------------------------

void saveFresh(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 31);
    BuiltModel built = buildTimed(keys);
    Model const& model = built.filled->model;
    // Two files taken in turn: the model never saves to the file it remembers, so each save
    // writes a whole fresh file, whatever save() does for the remembered one.
    std::array<std::string, 2> const paths = {scratch().file("fresh-a.model"),
                                              scratch().file("fresh-b.model")};
    Timing timing(state);
    std::size_t turn = 0;
    for (auto _ : state) {
        std::string const& path = paths[turn++ % paths.size()];
        fs::remove(path);
        Stopwatch const stopwatch;
        model.save(path);
        timing.add(stopwatch.lap());
    }
    timing.report(built.build);
    // The size once the model has let go of its file: an open model file may still hold
    // pages in a log beside it, which closing folds in.
    built.filled.reset();
    std::string const& last = paths[(turn + paths.size() - 1) % paths.size()];
    state.counters["bytes_per_pair"] =
        static_cast<double>(fs::file_size(last)) / static_cast<double>(state.range(0));
}

// ---- opening the saved file ------------------------------------------------------------------

void openFile(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 32);
    std::string const path = scratch().file("open.model");
    Lap build;
    std::size_t elements = 0;
    {
        BuiltModel const built = buildTimed(keys);
        build = built.build;
        built.filled->model.save(path);
        elements = built.filled->model->getElements().size();
    }
    // The saving model is gone: every open below reads the whole file and builds its model,
    // which goes away again untimed.
    Timing timing(state);
    for (auto _ : state) {
        Stopwatch const stopwatch;
        Model const opened = Model::open(path);
        timing.add(stopwatch.lap());
        if (opened->getElements().size() != elements) {
            state.SkipWithError("the opened model does not hold the saved elements");
            break;
        }
    }
    timing.report(build);
    state.counters["us_per_element"] = timing.mean().wall * 1e6 / static_cast<double>(elements);
}

// ---- save() after one lone change ------------------------------------------------------------

void saveAfterLoneChange(benchmark::State& state) {
    auto const keys = arvex::bench::randomUuids(state.range(0), 33);
    auto const fresh = arvex::bench::randomUuids(1 << 12, 34);
    BuiltModel const built = buildTimed(keys);
    FilledMap& filled = *built.filled;
    filled.model.save(scratch().file("lone.model"));
    constexpr std::size_t kStepsPerHistory = 1024;
    Timing timing(state);
    std::size_t step = 0;
    for (auto _ : state) {
        // One lone change, untimed: a fresh key is inserted, and erased again by the next one,
        // so the map stays at N or N + 1 pairs.
        uuid const& key = fresh[(step / 2) % fresh.size()];
        if (step % 2 == 0) {
            filled.map->insertPair(key, valueOf(key));
        } else {
            filled.map->erasePairForKey(key);
        }
        if (++step % kStepsPerHistory == 0) {
            filled.model->clearUndoHistory();
        }
        Stopwatch const stopwatch;
        filled.model.save();
        timing.add(stopwatch.lap());
    }
    timing.report(built.build);
    state.counters["ms_per_save"] = timing.mean().wall * 1e3;
    state.counters["cpu_ms_per_save"] = timing.mean().cpu * 1e3;
}

void registerAll() {
    auto const ms = benchmark::kMillisecond;
    for (auto n : arvex::bench::sizes({1000, 100000, 1000000})) {
        auto add = [n, ms](char const* name, auto function) {
            benchmark::RegisterBenchmark(name, function)->Arg(n)->Unit(ms)->UseManualTime();
        };
        add("modelFile/build", buildModel);
        add("modelFile/saveFresh", saveFresh);
        add("modelFile/open", openFile);
        add("modelFile/saveAfterLoneChange", saveAfterLoneChange);
    }
}

int const registered = (registerAll(), 0);

}  // namespace
