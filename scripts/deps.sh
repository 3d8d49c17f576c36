#!/usr/bin/env bash
# Installs the Debian packages the build needs (and pip, setuptools, wheel and venv for installing
# the Python package, mypy for checking its type stubs), and nothing when they are all present.
# Run as root on a Debian machine. `apt-get update` runs only when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-14-dev libboost-dev libgtest-dev libgmock-dev libbenchmark-dev libabsl-dev libsqlite3-dev pybind11-dev python3-dev python3-pytest python3-pip python3-setuptools python3-wheel python3-venv mypy python3-tqdm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "deps: installing ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    echo "deps: missing packages and not root; install them with apt-get: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
