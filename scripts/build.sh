#!/usr/bin/env bash
# Configures and builds vestran into build/ (or $VESTRAN_BUILD_DIR).
# Arguments are the targets to build; none builds everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTRAN_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRAN_BUILD_TESTS=ON \
  -DVESTRAN_WERROR="${VESTRAN_WERROR:-OFF}" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}"
