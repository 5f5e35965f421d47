#!/usr/bin/env bash
# Cross-builds libxml2, static, with ICU for its encodings (Windows has no iconv): only
# the parser, the tree and the serialiser vestran uses. Needs the ICU built by icu.sh.
# Called by windows.sh with: SOURCE (unpacked Debian source), PREFIX, TOOLCHAIN, JOBS, ICU.
set -euo pipefail
build="$PREFIX.build"
rm -rf "$build"
cp -r "$SOURCE" "$build.src"
# Only ICU's common library is built; libxml2 uses nothing else of it.
sed -i -e 's/COMPONENTS data i18n uc/COMPONENTS uc data/' \
       -e 's/ICU::data ICU::i18n ICU::uc/ICU::uc ICU::data/' \
       "$build.src/CMakeLists.txt" "$build.src/libxml2-config.cmake.cmake.in"
cmake -S "$build.src" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS="-DU_STATIC_IMPLEMENTATION" \
  -DBUILD_SHARED_LIBS=OFF \
  -DICU_ROOT="$ICU" -DICU_INCLUDE_DIR="$ICU/include" \
  -DICU_UC_LIBRARY_RELEASE="$ICU/lib/libsicuuc.a" \
  -DICU_DATA_LIBRARY_RELEASE="$ICU/lib/libsicudt.a" \
  -DLIBXML2_WITH_ICU=ON -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF \
  -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
  -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF \
  -DLIBXML2_WITH_MODULES=OFF -DLIBXML2_WITH_CATALOG=OFF -DLIBXML2_WITH_DOCB=OFF \
  -DLIBXML2_WITH_SCHEMAS=OFF -DLIBXML2_WITH_SCHEMATRON=OFF -DLIBXML2_WITH_XINCLUDE=OFF \
  -DLIBXML2_WITH_XPTR=OFF -DLIBXML2_WITH_LEGACY=OFF -DLIBXML2_WITH_DEBUG=OFF \
  >"$PREFIX.configure.log"
cmake --build "$build" -j "$JOBS" >"$PREFIX.build.log"
cmake --install "$build" >/dev/null
rm -rf "$build" "$build.src"
