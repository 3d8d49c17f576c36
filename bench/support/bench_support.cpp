#include "bench_support.hpp"

#include <algorithm>
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

enum class Impl { Arvex, Raw, Other };

// "op/arvex/64" gives ("op/64", Arvex): the name without its implementation segment.
std::pair<std::string, Impl> splitName(std::string const& name) {
    std::string key;
    Impl impl = Impl::Other;
    std::size_t begin = 0;
    while (begin <= name.size()) {
        auto end = name.find('/', begin);
        if (end == std::string::npos) {
            end = name.size();
        }
        auto const segment = name.substr(begin, end - begin);
        if (impl == Impl::Other && (segment == "arvex" || segment == "raw")) {
            impl = segment == "arvex" ? Impl::Arvex : Impl::Raw;
        } else {
            key += (key.empty() ? "" : "/") + segment;
        }
        begin = end + 1;
    }
    return {key, impl};
}

// Console output as usual, then a table of arvex/raw ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(std::vector<Run> const& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (auto const& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            auto [key, impl] = splitName(run.benchmark_name());
            if (impl == Impl::Arvex) {
                times_[key].first = run.GetAdjustedRealTime();
            } else if (impl == Impl::Raw) {
                times_[key].second = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (times_.empty()) {
            return;
        }
        std::printf("\n%-56s %14s %14s %8s\n", "operation (same run)", "arvex", "raw", "ratio");
        for (auto const& [key, pair] : times_) {
            if (pair.first > 0 && pair.second > 0) {
                std::printf("%-56s %14.1f %14.1f %7.2fx\n", key.c_str(), pair.first, pair.second,
                            pair.first / pair.second);
            }
        }
        std::fflush(stdout);
    }

  private:
    std::map<std::string, std::pair<double, double>> times_;
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
