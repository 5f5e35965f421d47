#!/usr/bin/env bash
# Cross-builds ICU's common library, static, with a data library that holds only the
# converters vestran and libxml2 can need: the code pages of dBase tables and the
# encodings an exchange document may declare. Debian's icu-devtools (the same ICU version)
# stand in for a native build's tools.
# Called by windows.sh with: SOURCE (unpacked Debian source), PREFIX, JOBS, RECIPES.
set -euo pipefail
build="$PREFIX.build"
rm -rf "$build"
mkdir -p "$build/native/bin" "$build/native/config" "$PREFIX/lib" "$PREFIX/include"
version=$(sed -n 's/^#define U_ICU_VERSION "\(.*\)"/\1/p' "$SOURCE/source/common/unicode/uvernum.h")
major=${version%%.*}

# The native tools, as ICU's cross build expects to find them.
for tool in icupkg pkgdata genrb gencnval gencfu makeconv genbrk gendict gensprep genccode \
            gencmn gennorm2 icuinfo; do
  ln -s "$(PATH=$PATH:/usr/sbin command -v "$tool")" "$build/native/bin/$tool"
done
cat >"$build/native/config/icucross.mk" <<MK
CROSS_ICU_VERSION=$version
TOOLEXEEXT=
TOOLBINDIR=\$(cross_buildroot)/bin
TOOLLIBDIR=\$(cross_buildroot)/lib
INVOKE=
PKGDATA_INVOKE=
MK
: >"$build/native/config/icucross.inc"

# The common library only (nothing of vestran's uses i18n, io or the tools).
mkdir -p "$build/target"
(cd "$build/target" &&
  CC=x86_64-w64-mingw32-gcc-posix CXX=x86_64-w64-mingw32-g++-posix \
  AR=x86_64-w64-mingw32-gcc-ar-posix RANLIB=x86_64-w64-mingw32-gcc-ranlib-posix \
  CPPFLAGS="-DU_STATIC_IMPLEMENTATION -DU_USING_ICU_NAMESPACE=0" \
  "$SOURCE/source/configure" --host=x86_64-w64-mingw32 \
    --with-cross-build="$build/native" --prefix="$PREFIX" \
    --enable-static --disable-shared --disable-extras --disable-icuio --disable-layoutex \
    --disable-tools --disable-tests --disable-samples --with-data-packaging=static \
    >"$build/configure.log")
mkdir -p "$build/target/lib" "$build/target/bin"
make -C "$build/target/common" -j "$JOBS" >"$build/make.log" 2>&1
cp "$build/target/lib/libsicuuc.a" "$PREFIX/lib/"
mkdir -p "$PREFIX/include/unicode"
cp "$SOURCE"/source/common/unicode/*.h "$PREFIX/include/unicode/"

# The reduced data library: the converter alias table and the converters below.
encodings=(
  # code pages of dBase language drivers
  cp437 cp737 cp850 cp852 cp857 cp860 cp861 cp863 cp865 cp866 windows-874 cp932
  windows-936 windows-949 windows-950 windows-1250 windows-1251 windows-1252 windows-1253
  windows-1254 windows-1255 windows-1256 windows-1257 windows-1258 macintosh x-mac-greek
  x-mac-cyrillic x-mac-centraleurroman
  # encodings an XML document may declare (ICU has no ISO-8859-16)
  ISO-8859-2 ISO-8859-3 ISO-8859-4 ISO-8859-5 ISO-8859-6 ISO-8859-7 ISO-8859-8 ISO-8859-9
  ISO-8859-10 ISO-8859-11 ISO-8859-13 ISO-8859-14 ISO-8859-15 KOI8-R KOI8-U
  Shift_JIS EUC-JP GB2312 GBK GB18030 Big5 EUC-KR IBM037
)
archive="$SOURCE/source/data/in/icudt${major}l.dat"
g++ -O1 -o "$build/icu-converters" "$RECIPES/icu-converters.cpp" -licuuc
icupkg -l "$archive" | sort >"$build/all-items"
{
  echo cnvalias.icu
  "$build/icu-converters" "${encodings[@]}" | sort -u | comm -12 - "$build/all-items"
} >"$build/items.txt"
mkdir -p "$build/items"
# Some converters extend others; add what they depend on until nothing is missing.
for _ in 1 2 3; do
  icupkg -x "$build/items.txt" -d "$build/items" "$archive"
  if icupkg -tl -a "$build/items.txt" -s "$build/items" new "$build/icudt${major}l.dat" \
      2>"$build/missing"; then
    break
  fi
  sed -n 's/.*depends on missing item \(.*\)$/\1/p' "$build/missing" >>"$build/items.txt"
  sort -u -o "$build/items.txt" "$build/items.txt"
done
test -f "$build/icudt${major}l.dat" || { cat "$build/missing" >&2; exit 1; }
# ICU looks for the symbol icudt<major>_dat, which genccode derives from the file's name;
# the items inside keep their icudt<major>l/ prefix.
cp "$build/icudt${major}l.dat" "$build/icudt${major}.dat"
genccode -d "$build" "$build/icudt${major}.dat" >/dev/null
x86_64-w64-mingw32-gcc-posix -c -O1 -I"$PREFIX/include" -o "$build/icudata.o" "$build/icudt${major}_dat.c"
x86_64-w64-mingw32-ar rcs "$PREFIX/lib/libsicudt.a" "$build/icudata.o"
cp "$build/items.txt" "$PREFIX/data-items.txt"
rm -rf "$build"
