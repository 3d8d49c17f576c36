#!/usr/bin/env bash
# The main job: installs what is missing, builds the optimised configuration and runs the
# example programs (the last one uses the library as the scripting host does).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-$(nproc)}" --target example_paths example_maps example_scripting
./build/release/examples/example_paths
./build/release/examples/example_maps
./build/release/examples/example_scripting
