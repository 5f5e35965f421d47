#!/usr/bin/env bash
# Puts the Windows programs, the DLLs they need, the help, Qt's Spanish translation, a
# LEEME and the license notices in dist/vestran-<version>-windows-x64/ and zips it.
# Arguments: BUILD DIST DESKTOP(0|1) MINGW_DLLS QT_PREFIX ICU_SOURCE LIBXML2_SOURCE QT_SOURCE
set -euo pipefail
build=$1 dist=$2 desktop=$3 mingw=$4 qt=$5 icu_src=$6 xml_src=$7 qt_src=${8:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^project(vestran VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name="vestran-$version-windows-x64"
folder="$dist/$name"
rm -rf "$folder" "$dist/$name.zip"
mkdir -p "$folder/licencias"

cp "$build/src/cli/vestran-cli.exe" "$folder/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do cp "$mingw/$dll" "$folder/"; done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$folder/"
if [ "$desktop" = 1 ]; then
  cp "$build/src/vestran.exe" "$folder/"
  for dll in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt/bin/$dll.dll" "$folder/"; done
  mkdir -p "$folder/platforms" "$folder/styles" "$folder/translations"
  cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$folder/styles/"
  # The program carries Qt's Spanish texts inside; the copy here serves other Qt tools.
  cp /usr/share/qt6/translations/qtbase_es.qm "$folder/translations/"
fi
cp "$root/src/MainForm/ayuda/ayuda.html" "$folder/ayuda.html"
mkdir -p "$folder/ejemplo"
cp "$root/examples/centro-ejemplo.xml" "$folder/ejemplo/"
# Windows users read text files with CRLF line ends.
sed 's/$/\r/' "$root/scripts/windows/LEEME.txt" >"$folder/LEEME.txt"

# The license notices of everything inside.
notice() { sed 's/$/\r/' "$2" >"$folder/licencias/$1"; }
notice ICU.txt "$icu_src/LICENSE"
notice libxml2.txt "$xml_src/Copyright"
notice MinGW-w64-winpthreads.txt /usr/share/doc/mingw-w64-common/copyright
notice GCC-libstdc++-libgcc.txt /usr/share/doc/gcc-mingw-w64-base/copyright
if [ "$desktop" = 1 ]; then
  notice Qt-LGPL-3.0.txt "$qt_src/LICENSES/LGPL-3.0-only.txt"
  notice Qt-GPL-3.0.txt "$qt_src/LICENSES/GPL-3.0-only.txt"
  cat >"$folder/licencias/Qt.txt" <<'QT'
Qt 6.4.2 (Qt Core, Qt Gui, Qt Widgets y sus complementos qwindows y qwindowsvistastyle)
se usa bajo la licencia LGPL 3.0 (licencias/Qt-LGPL-3.0.txt), enlazado como bibliotecas
dinámicas: Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll y los complementos pueden sustituirse
por otras compilaciones compatibles. Su código fuente es el del paquete de Debian
qt6-base 6.4.2+dfsg-10 (https://sources.debian.org/src/qt6-base/).
QT
  sed -i 's/$/\r/' "$folder/licencias/Qt.txt"
  # What Qt brings of others' inside its DLLs (zlib, libpng, HarfBuzz, PCRE2, …).
  for license in "$qt_src"/src/3rdparty/*/LICENSE* "$qt_src"/src/3rdparty/*/COPYING*; do
    [ -f "$license" ] || continue
    printf '==== %s ====\n' "${license#"$qt_src"/src/3rdparty/}"
    cat "$license"
    printf '\n'
  done | sed 's/$/\r/' >"$folder/licencias/Qt-terceros.txt"
fi

# Debugging symbols are of no use to a school.
find "$folder" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

(cd "$dist" && rm -f "$name.zip" && zip -qr -X "$name.zip" "$name")
echo "$dist/$name.zip ($(du -h "$dist/$name.zip" | cut -f1))"
if [ "$desktop" = 1 ]; then
  "$root/scripts/windows/instalador.sh" "$folder" "$version" "$dist/$name-instalador.exe"
  echo "$dist/$name-instalador.exe ($(du -h "$dist/$name-instalador.exe" | cut -f1))"
fi
