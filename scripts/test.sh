#!/usr/bin/env bash
# The test command: installs what is missing, builds the sanitizer configuration, runs every
# test, runs every benchmark once at its smallest size (so none rots; no timing is judged),
# then builds and runs the concurrency tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=${JOBS:-$(nproc)}

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
