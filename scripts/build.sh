#!/usr/bin/env bash
# Configures and builds the project with one of the presets of CMakePresets.json: debug (the
# default, into build/), release (build-release/) or fuzz (build-fuzz/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-debug}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" --preset "$preset" "${launcher[@]}" >/dev/null
cd "$root"
cmake --build --preset "$preset" -j "$(nproc)"
