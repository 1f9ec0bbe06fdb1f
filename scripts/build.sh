#!/usr/bin/env bash
# Configures and builds the project into build/ (or the folder given as BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
type=${BUILD_TYPE:-Debug}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
