#!/usr/bin/env bash
# The Debian packages the Windows build needs, and a deb-src line so that apt-get can
# fetch the sources of ICU, libxml2 and Qt. Argument: 1 when the desktop program is built.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
desktop=${1:-1}

if ! apt-get source --print-uris -qq libxml2 >/dev/null 2>&1; then
  list=/etc/apt/sources.list.d/vestran-fuentes.sources
  if [ "$(id -u)" -ne 0 ]; then
    echo "apt-get no conoce los paquetes fuente. Como root, añada una línea deb-src (por" >&2
    echo "ejemplo en $list) y ejecute apt-get update." >&2
    exit 1
  fi
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  cat >"$list" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $suite-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt-get update -qq
fi

packages=(
  g++-mingw-w64-x86-64-posix wine64 cmake ninja-build dpkg-dev zip pkg-config
  # the installer, and the resources of the programs read back
  nsis icoutils
  # ICU's own tools and headers stand in for a native ICU build
  icu-devtools libicu-dev
  # GoogleTest's sources, built for Windows too
  googletest libgtest-dev
)
if [ "$desktop" = 1 ]; then
  packages+=(
    # host tools and Spanish translations of Qt
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    # the desktop program under Wine in a headless X server, and its screenshot
    xvfb xauth xdotool x11-utils x11-apps netpbm
  )
fi
"$root/scripts/ensure-deps.sh" "${packages[@]}"
