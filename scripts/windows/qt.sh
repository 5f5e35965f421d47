#!/usr/bin/env bash
# Cross-builds Qt's Core, Gui and Widgets with the windows platform plugin, shared (Qt is
# LGPL: vestran links it dynamically and ships its DLLs). Only what the two windows use is
# built, at -O1: a fresh machine builds it in CI's time, and dialogs need no -O2. The
# DirectWrite font database is built only with the Direct2D plugin, so both stay out; the
# bundled FreeType gives the program a font engine of its own (see ventanas/Fuentes).
# Called by windows.sh with: SOURCE (unpacked Debian source), PREFIX, TOOLCHAIN, JOBS.
set -euo pipefail
build="$PREFIX.build"
rm -rf "$build"
cmake -S "$SOURCE" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DCMAKE_BUILD_TYPE=Release \
  -DQT_USE_DEFAULT_CMAKE_OPTIMIZATION_FLAGS=ON \
  -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
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
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_freetype=ON \
  -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF -DFEATURE_ico=OFF -DFEATURE_imageformat_bmp=OFF \
  -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF \
  -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF \
  -DFEATURE_mdiarea=OFF -DFEATURE_calendarwidget=OFF -DFEATURE_colordialog=OFF \
  -DFEATURE_fontdialog=OFF -DFEATURE_wizard=OFF \
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF -DFEATURE_macdeployqt=OFF \
  -DFEATURE_qmake=OFF -DFEATURE_sql_odbc=OFF \
  >"$PREFIX.configure.log"
cmake --build "$build" -j "$JOBS"
cmake --install "$build" >/dev/null
rm -rf "$build"
