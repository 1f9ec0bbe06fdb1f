#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (preset debug, build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" debug

cd "$root"
ctest --preset debug
