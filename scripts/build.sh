#!/usr/bin/env bash
# Configures and builds vestran into build/ (or $VESTRAN_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTRAN_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
