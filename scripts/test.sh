#!/usr/bin/env bash
# The test command: installs what is missing, checks that no subsystem includes one above it
# (scripts/check_layers.py), builds the sanitizer configuration, runs every
# test, runs every benchmark once at its smallest size (so none rots; no timing is judged),
# builds and runs the concurrency tests under ThreadSanitizer, then builds the fuzzers (clang)
# and runs each over its seed corpus and for FUZZ_SECONDS (20) more.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=${JOBS:-$(nproc)}

python3 scripts/check_layers.py
cmake --preset dev
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

echo "== benchmarks (smoke run, smallest sizes) =="
for b in build/dev/bench/bench_*; do
    [[ -x $b ]] || continue
    echo "-- $(basename "$b")"
    ARVEX_BENCH_SMOKE=1 "$b" --benchmark_min_time=0.001 >/dev/null
done

if [[ -n $(find tests -name '*.cpp' -path '*concurrency*' -print -quit) ]]; then
    echo "== concurrency tests under ThreadSanitizer =="
    cmake --preset tsan
    cmake --build --preset tsan -j "$jobs"
    ctest --preset tsan -j "$jobs"
fi

echo "== fuzzers: the seed corpus, then ${FUZZ_SECONDS:-20} s of fuzzing each =="
cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs"
for corpus in tests/fuzz/corpus/*/; do
    name=$(basename "$corpus")
    echo "-- fuzz_$name"
    scratch="build/fuzz/corpus/$name"   # new inputs go here, the committed seeds stay as they are
    mkdir -p "$scratch"
    log="build/fuzz/fuzz_$name.log"
    if ! "build/fuzz/tests/fuzz/fuzz_$name" -max_total_time="${FUZZ_SECONDS:-20}" -timeout=10 \
        -max_len=2048 -print_final_stats=1 "$scratch" "$corpus" >"$log" 2>&1; then
        cat "$log"
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^Done' "$log"
done
