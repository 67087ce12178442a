#!/usr/bin/env bash
# Builds Torvane into build/ (or the folder given by TORVANE_BUILD_DIR), installing
# what is missing first. Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$("$root/scripts/setup-deps.sh")
build=${TORVANE_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_PREFIX_PATH="$prefix" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
