#!/usr/bin/env bash
# The main job: installs what is missing, builds the optimised configuration (the library, the
# Python front end and the C++ examples) and runs the Python quickstart, which uses the library
# as a script author does. The C++ examples are then in build/release/examples/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "${JOBS:-$(nproc)}" \
    --target arvex_utilities zolmar_host example_paths example_maps example_scripting

PYTHONPATH="build/release/python:python${PYTHONPATH:+:$PYTHONPATH}" \
    ZOLMAR_LIBRARY="build/release/libarvex_utilities.so" \
    /usr/bin/python3 examples/quickstart.py
