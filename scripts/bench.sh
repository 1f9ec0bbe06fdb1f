#!/usr/bin/env bash
# Builds in Release and runs the benchmarks; prints one table (Markdown).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
BUILD_DIR="$root/build-release" BUILD_TYPE=Release "$root/scripts/build.sh" >/dev/null
exec "$root/build-release/bench/tavlix_bench"
