// Path splitting and UUID path hashing against plain loops doing the least comparable work.

#include <benchmark/benchmark.h>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_hash.hpp>
#include <string>
#include <vector>

#include "arvex/utilities/fullpath.hpp"
#include "bench_support.hpp"

namespace {

namespace fp = arvex::utilities::fullpath;

// A named path of `units` code units: names of seven letters, every fourth one holding an
// escaped slash, so both kinds of run occur.
std::u16string makePath(std::size_t units) {
    std::u16string path;
    for (int name = 0; path.size() < units; ++name) {
        if (!path.empty()) {
            path += u'/';
        }
        path += name % 4 == 3 ? u"abc//de" : u"Element";
    }
    path.resize(units);
    return path;
}

// Raw baseline: split at every slash, with no pairing and no un-escaping.
std::vector<std::u16string> splitAtSingleSlashes(std::u16string const& path) {
    std::vector<std::u16string> names;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == u'/') {
            names.emplace_back(path, begin, i - begin);
            begin = i + 1;
        }
    }
    return names;
}

void splitArvex(benchmark::State& state) {
    auto const path = makePath(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(fp::getComponentNames(path));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void splitRaw(benchmark::State& state) {
    auto const path = makePath(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(splitAtSingleSlashes(path));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

std::vector<boost::uuids::uuid> makeUuidPath(std::int64_t depth) {
    boost::uuids::random_generator gen;
    std::vector<boost::uuids::uuid> path;
    for (std::int64_t i = 0; i < depth; ++i) {
        path.push_back(gen());
    }
    return path;
}

void hashArvex(benchmark::State& state) {
    auto const path = makeUuidPath(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(fp::getUUIDPathHash(path));
    }
}

// Raw baseline: XOR of Boost's per-UUID hash over the path, read in place.
void hashRaw(benchmark::State& state) {
    auto const path = makeUuidPath(state.range(0));
    for (auto _ : state) {
        std::size_t h = 0;
        for (auto const& id : path) {
            h ^= boost::uuids::hash_value(id);
        }
        benchmark::DoNotOptimize(h);
    }
}

// 64 code units, and 2048 code units (4 KiB of UTF-16).
void registerAll() {
    for (auto n : arvex::bench::sizes({64, 2048})) {
        benchmark::RegisterBenchmark("getComponentNames/arvex", splitArvex)->Arg(n);
        benchmark::RegisterBenchmark("getComponentNames/raw", splitRaw)->Arg(n);
    }
    benchmark::RegisterBenchmark("getUUIDPathHash/arvex", hashArvex)->Arg(16);
    benchmark::RegisterBenchmark("getUUIDPathHash/raw", hashRaw)->Arg(16);
}

int const registered = (registerAll(), 0);

}  // namespace
