#!/usr/bin/env bash
# Builds in Release (preset release, build-release/) and runs the benchmarks; prints one table (Markdown).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" release >/dev/null
exec "$root/build-release/bench/tavlix_bench"
