#!/usr/bin/env bash
# Builds vestran for 64-bit Windows on this Debian machine, runs its tests under Wine
# (the desktop program's in a headless X server), writes
# dist/vestran-<version>-windows-x64.zip and, with the desktop program, the per-user
# installer dist/vestran-<version>-windows-x64-instalador.exe; then installs it under Wine
# and drives the installed program through the system's file dialog
# (scripts/windows/escritorio.sh), and photographs its windows into docs/capturas/wine.
#
#   ./scripts/windows.sh                    dependencies, both programs, tests, zip,
#                                           installer (the test command runs this)
#   ./scripts/windows.sh --sin-escritorio   without Qt and the desktop program
#
# The cross-built libraries (ICU, libxml2, GoogleTest, Qt) are kept in
# $VESTRAN_WINDOWS_CACHE, by default ${XDG_CACHE_HOME:-$HOME/.cache}/vestran-windows,
# each in a folder named after its Debian source version and a hash of its recipe; a
# folder is built only when it is missing. The build goes to build-windows/ (or
# $VESTRAN_WINDOWS_BUILD_DIR); Wine runs in a prefix of its own inside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
recipes="$root/scripts/windows"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
jobs=$(nproc 2>/dev/null || echo 2)
cache=${VESTRAN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vestran-windows}
build=${VESTRAN_WINDOWS_BUILD_DIR:-$root/build-windows}
desktop=1
for arg in "$@"; do
  case "$arg" in
    --sin-escritorio) desktop=0 ;;
    *) echo "Opción desconocida: $arg" >&2; exit 2 ;;
  esac
done

started=$(date +%s)
step_started=$started
step() {
  local now
  now=$(date +%s)
  [ -n "${step_name:-}" ] && printf '   %s: %d s\n' "$step_name" $((now - step_started)) >&2
  step_name=$1
  step_started=$now
  [ -n "$1" ] && echo "== $1" >&2
  return 0
}

step "Paquetes de Debian"
"$root/scripts/ensure-deps.sh"
"$recipes/ensure-deps.sh" "$desktop"

# --- Sources and cached builds -------------------------------------------------------

mkdir -p "$cache/src"

# Downloads and unpacks a Debian source package once; prints its version.
debian_source() {
  local package=$1 dsc version empty
  # Asked from an empty folder: apt-get names no file it finds downloaded already.
  empty=$(mktemp -d)
  dsc=$(cd "$empty" && apt-get source --print-uris -qq "$package" |
        sed -n "s/^'[^']*' \(${package}_[^ ]*\.dsc\) .*/\1/p" | head -n 1)
  rmdir "$empty"
  [ -n "$dsc" ] || { echo "No se encuentra el paquete fuente $package" >&2; exit 1; }
  version=${dsc#"${package}"_}
  version=${version%.dsc}
  if [ ! -d "$cache/src/$package-$version" ]; then
    (cd "$cache/src" && apt-get source --download-only -qq "$package" >/dev/null 2>&1 &&
     rm -rf "$package-$version.tmp" &&
     dpkg-source --no-check -x "$dsc" "$package-$version.tmp" >/dev/null 2>&1 &&
     mv "$package-$version.tmp" "$package-$version")
  fi
  echo "$version"
}

# The folder a dependency is built into: name, version and a hash of what builds it.
cache_dir() {
  local name=$1 version=$2 hash
  shift 2
  hash=$(cat "$@" | sha256sum | cut -c1-12)
  echo "$cache/$name-$version-$hash"
}

# Runs a recipe into its cache folder unless the folder is complete already; one that a
# stopped build left incomplete is built again from nothing.
build_dep() {
  local prefix=$1 recipe=$2
  shift 2
  [ -f "$prefix/.completo" ] && return 0
  rm -rf "$prefix"
  mkdir -p "$prefix"
  env PREFIX="$prefix" TOOLCHAIN="$toolchain" JOBS="$jobs" RECIPES="$recipes" "$@" \
    "$recipe" || { echo "Falló $(basename "$recipe"); registros en $prefix.*.log" >&2; exit 1; }
  touch "$prefix/.completo"
}

step "ICU"
icu_version=$(debian_source icu)
icu=$(cache_dir icu "$icu_version" "$recipes/icu.sh" "$recipes/icu-converters.cpp" "$toolchain")
build_dep "$icu" "$recipes/icu.sh" SOURCE="$cache/src/icu-$icu_version"

step "libxml2"
xml_version=$(debian_source libxml2)
libxml2=$(cache_dir libxml2 "$xml_version" "$recipes/libxml2.sh" "$toolchain" <(echo "$icu"))
build_dep "$libxml2" "$recipes/libxml2.sh" SOURCE="$cache/src/libxml2-$xml_version" ICU="$icu"

step "GoogleTest"
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest=$(cache_dir googletest "$gtest_version" "$recipes/googletest.sh" "$toolchain")
build_dep "$gtest" "$recipes/googletest.sh" SOURCE=/usr/src/googletest

prefixes="$icu;$libxml2;$gtest"
if [ "$desktop" = 1 ]; then
  step "Qt"
  qt_version=$(debian_source qt6-base)
  qt=$(cache_dir qt "$qt_version" "$recipes/qt.sh" "$toolchain")
  build_dep "$qt" "$recipes/qt.sh" SOURCE="$cache/src/qt6-base-$qt_version"
  prefixes="$prefixes;$qt"
fi

# --- vestran -------------------------------------------------------------------------

step "vestran para Windows"
export WINEPREFIX="$build/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mingw_dlls="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
export WINEPATH="$mingw_dlls;/usr/x86_64-w64-mingw32/lib${qt:+;$qt/bin}"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DVESTRAN_WINDOWS_PREFIX="$prefixes" \
  -DCMAKE_PREFIX_PATH="$prefixes" \
  -DICU_ROOT="$icu" -DICU_INCLUDE_DIR="$icu/include" \
  -DICU_UC_LIBRARY_RELEASE="$icu/lib/libsicuuc.a" \
  -DICU_DATA_LIBRARY_RELEASE="$icu/lib/libsicudt.a" \
  -DVESTRAN_STATIC_ICU=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DVESTRAN_BUILD_GUI="$([ "$desktop" = 1 ] && echo ON || echo OFF)" \
  -DVESTRAN_BUILD_TESTS=ON -DVESTRAN_WERROR="${VESTRAN_WERROR:-OFF}" >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 1; }
# The desktop tests and programs draw in a headless X server of their own, there before
# any Wine program starts: Wine's desktop process, started with the first, keeps the
# display it found.
if [ "$desktop" = 1 ]; then
  export DISPLAY=:$((90 + RANDOM % 100))
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  [ -n "${unzipped:-}" ] && rm -rf "$unzipped"
  return 0
}
trap cleanup EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
# Wine has no Arial nor MS Sans Serif; the metric-compatible Liberation Sans stands in, as
# on Linux. The desktop tests read letters drawn in it.
for font in Arial "MS Sans Serif"; do
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
    /d "Liberation Sans" /f >/dev/null 2>&1
done
# One Wine server for every test program, instead of one started by each; none left
# from an earlier run.
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -p
# Wine's services start with the first program and outlive it: started here, they do
# not hold the output pipes of the test programs open.
/usr/lib/wine/wine64 cmd.exe /c exit </dev/null >/dev/null 2>&1
cmake --build "$build" -j "$jobs"

step "Pruebas bajo Wine"
if [ "$desktop" = 1 ]; then
  echo "   Con las del programa de escritorio (gui_tests.exe, en el servidor X $DISPLAY)" >&2
fi
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 900)

step "Paquete"
zip=$("$recipes/package.sh" "$build" "$root/dist" "$desktop" "$mingw_dlls" "${qt:-}" \
  "$cache/src/icu-$icu_version" "$cache/src/libxml2-$xml_version" \
  "${qt_version:+$cache/src/qt6-base-$qt_version}")
echo "$zip" | sed 's/^/   /' >&2
# What follows runs the programs as a school gets them: from the unzipped zip.
unzipped=$(mktemp -d)
(cd "$unzipped" && unzip -q "${zip%% *}")
app=$(echo "$unzipped"/vestran-*-windows-x64)

step "Pruebas desde Linux sobre lo que escribe vestran-cli.exe"
"$root/scripts/build.sh" windows_cli_tests vestran-cli vestran-simular-soluc >/dev/null
VESTRAN_WINDOWS_BUILD="$build" VESTRAN_WINDOWS_CLI="$app/vestran-cli.exe" \
  "${VESTRAN_BUILD_DIR:-$root/build}/tests/windows_cli_tests"

if [ "$desktop" = 1 ]; then
  step "El programa de escritorio instalado bajo Wine"
  mkdir -p "$root/docs/capturas/wine"
  "$recipes/escritorio.sh" "$root/dist/$(basename "$app")-instalador.exe" \
    "$root/docs/capturas/wine" "${VESTRAN_BUILD_DIR:-$root/build}/tools/vestran-simular-soluc"
  step "Capturas de las ventanas bajo Wine"
  windows_path() { /usr/lib/wine/wine64 winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
  VESTRAN_CAPTURAS="$(windows_path "$root/docs/capturas/wine")" \
    VESTRAN_CAPTURAS_DOCUMENTO="$(windows_path "$root/examples/centro-ejemplo.xml")" \
    "$recipes/wine-prueba.sh" /usr/lib/wine/wine64 "$build/tests/gui_tests.exe" screenshots \
    >/dev/null
  ls "$root/docs/capturas/wine" | sed 's/^/   /' >&2
fi
step ""
echo "Listo en $(( $(date +%s) - started )) s: $(echo "$zip" | cut -d' ' -f1 | tr '\n' ' ')" >&2
