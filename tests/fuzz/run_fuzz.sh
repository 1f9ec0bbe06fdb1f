#!/usr/bin/env bash
# Builds the fuzz targets with the preset fuzz (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in their own build directory and runs one of them on a copy of its
# seed corpus.
#   run_fuzz.sh <build-dir> <picture|ini> [libFuzzer options...]
# Without options the run is short (20 seconds); pass e.g. -runs=1000000 for a long one.
# Inputs that crash or hang are left in <build-dir>/findings-<target>/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
target=$2
shift 2
options=("$@")
if [ ${#options[@]} -eq 0 ]; then
    options=(-max_total_time=20)
fi

if ! command -v clang++ >/dev/null; then
    echo "run_fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2
    exit 1
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# One configure and build at a time, also when the tests of both targets run at once.
mkdir -p "$build"
exec 9>"$build/.lock"
flock 9
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here/../.." --preset fuzz -B "$build" "${launcher[@]}" >/dev/null
fi
cmake --build "$build" --target "fuzz_$target" >/dev/null
flock -u 9

corpus="$build/corpus-$target"
findings="$build/findings-$target"
mkdir -p "$corpus" "$findings"
cp -n "$here/corpus/$target"/* "$corpus"/

export QT_QPA_PLATFORM=offscreen
# The settings target writes a file per input, with fsync: on a memory file system that is quick.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$findings"
"$build/tests/fuzz/fuzz_$target" -timeout=5 -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$findings/" "${options[@]}" "$corpus"
