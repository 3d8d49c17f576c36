#include "bench_support.hpp"

#include <algorithm>
#include <array>
#include <boost/uuid/random_generator.hpp>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace arvex::bench {

bool smokeRun() {
    return std::getenv("ARVEX_BENCH_SMOKE") != nullptr;
}

std::vector<std::int64_t> sizes(std::initializer_list<std::int64_t> all) {
    std::vector<std::int64_t> result(all);
    if (smokeRun() && !result.empty()) {
        result.resize(1);
    }
    return result;
}

void timePerItem(benchmark::State& state, std::int64_t items, char const* name) {
    state.counters[name] = benchmark::Counter(
        static_cast<double>(items),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<boost::uuids::uuid> randomUuids(std::int64_t count, unsigned seed) {
    std::mt19937_64 engine(seed);
    boost::uuids::basic_random_generator<std::mt19937_64> generate(engine);
    std::vector<boost::uuids::uuid> ids(static_cast<std::size_t>(count));
    std::generate(ids.begin(), ids.end(), [&] { return generate(); });
    return ids;
}

namespace {

// The implementation segments a benchmark name may hold: ours first, then the baselines that
// its time is divided by.
constexpr std::array<char const*, 3> kContenders = {"arvex", "raw", "absl"};
constexpr std::size_t kNone = kContenders.size();

// "op/arvex/64" gives ("op/64", 0): the name without its implementation segment, and which
// contender that segment names (kNone when none).
std::pair<std::string, std::size_t> splitName(std::string const& name) {
    std::string key;
    std::size_t contender = kNone;
    std::size_t begin = 0;
    while (begin <= name.size()) {
        auto end = name.find('/', begin);
        if (end == std::string::npos) {
            end = name.size();
        }
        auto const segment = name.substr(begin, end - begin);
        auto const found = std::find(kContenders.begin(), kContenders.end(), segment);
        if (contender == kNone && found != kContenders.end()) {
            contender = static_cast<std::size_t>(found - kContenders.begin());
        } else {
            key += (key.empty() ? "" : "/") + segment;
        }
        begin = end + 1;
    }
    return {key, contender};
}

// Console output as usual, then a table of the arvex time against each baseline measured in
// the same run ("raw", and "absl" where a benchmark has it).
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(std::vector<Run> const& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (auto const& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            auto [key, contender] = splitName(run.benchmark_name());
            if (contender != kNone) {
                times_[key][contender] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (std::size_t baseline = 1; baseline < kContenders.size(); ++baseline) {
            printRatios(baseline);
        }
        std::fflush(stdout);
    }

  private:
    using Times = std::array<double, kContenders.size()>;

    void printRatios(std::size_t baseline) const {
        bool header = false;
        for (auto const& [key, times] : times_) {
            if (times[0] <= 0 || times[baseline] <= 0) {
                continue;
            }
            if (!header) {
                std::printf("\n%-56s %14s %14s %8s\n", "operation (same run)", kContenders[0],
                            kContenders[baseline], "ratio");
                header = true;
            }
            std::printf("%-56s %14.1f %14.1f %7.2fx\n", key.c_str(), times[0], times[baseline],
                        times[0] / times[baseline]);
        }
    }

    std::map<std::string, Times> times_;
};

}  // namespace

}  // namespace arvex::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    arvex::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
