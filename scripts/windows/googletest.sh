#!/usr/bin/env bash
# Cross-builds GoogleTest, static, from Debian's source in /usr/src/googletest.
# Called by windows.sh with: SOURCE, PREFIX, TOOLCHAIN, JOBS.
set -euo pipefail
build="$PREFIX.build"
rm -rf "$build"
cmake -S "$SOURCE" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_GMOCK=OFF -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF \
  >"$PREFIX.configure.log"
cmake --build "$build" -j "$JOBS" >"$PREFIX.build.log"
cmake --install "$build" >/dev/null
rm -rf "$build"
