#!/usr/bin/env bash
# Builds and runs the benchmarks of the export and the import (needs libbenchmark-dev).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTRAN_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRAN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target vestran_bench
"$build/bench/vestran_bench" "$@"
