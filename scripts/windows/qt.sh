#!/usr/bin/env bash
# Cross-builds Qt's Core, Gui and Widgets with the windows platform plugin, shared (Qt is
# LGPL: vestran links it dynamically and ships its DLLs).
# Called by windows.sh with: SOURCE (unpacked Debian source), PREFIX, TOOLCHAIN, JOBS.
set -euo pipefail
build="$PREFIX.build"
rm -rf "$build"
cmake -S "$SOURCE" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DQT_GENERATE_SBOM=OFF \
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_testlib=ON -DFEATURE_sql_sqlite=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_icu=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_freetype=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF -DFEATURE_macdeployqt=OFF \
  -DFEATURE_qmake=OFF -DFEATURE_sql_odbc=OFF \
  >"$PREFIX.configure.log"
cmake --build "$build" -j "$JOBS"
cmake --install "$build" >/dev/null
rm -rf "$build"
