#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; then runs the core's
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
"$root/scripts/ensure-deps.sh"
"$root/scripts/build.sh"
(cd "${VESTRAN_BUILD_DIR:-$root/build}" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

sanitized=${VESTRAN_SANITIZED_BUILD_DIR:-$root/build-sanitizers}
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DVESTRAN_BUILD_TESTS=ON \
  -DVESTRAN_BUILD_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all" \
  >/dev/null
cmake --build "$sanitized" -j "$jobs"
(cd "$sanitized" && ctest --output-on-failure -j "$jobs")
