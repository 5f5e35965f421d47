#!/usr/bin/env bash
# Installs the Debian packages vestran needs to build and test, when any is missing, or
# the packages named as arguments. As root it runs apt-get; otherwise it prints the exact
# command to run.
set -euo pipefail

default_packages=(
  # build
  cmake g++ make pkg-config libxml2-dev libicu-dev qt6-base-dev
  # fonts metric-compatible with Arial, for the windows
  fonts-liberation
  # tests: GoogleTest, and the independent dBase tools the results are checked with
  libgtest-dev fp-compiler fp-units-db python3 python3-dbf python3-dbfread
  # Qt's Spanish texts, which the desktop program carries
  qt6-translations-l10n
)
if [ $# -gt 0 ]; then packages=("$@"); else packages=("${default_packages[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

install=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -ne 0 ]; then
  echo "Faltan paquetes. Instálelos como root con:" >&2
  echo "  apt-get update && ${install[*]}" >&2
  exit 1
fi
echo "Instalando: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
"${install[@]}" >/dev/null
