#!/usr/bin/env bash
# Configures and builds the project into build/ (or the folder given as BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
type=${BUILD_TYPE:-Debug}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$build" -j "$(nproc)"
