#!/usr/bin/env bash
# Builds the optimised configuration and runs every benchmark at full size.
# Extra arguments are passed to each benchmark program (for example --benchmark_filter=...).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-$(nproc)}"
for b in build/release/bench/bench_*; do
    [[ -x $b ]] || continue
    echo "== $(basename "$b")"
    "$b" "$@"
done
