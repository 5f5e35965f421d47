#!/usr/bin/env bash
# Runs a Windows test program under Wine for CTest (the build's emulator):
#   wine-prueba.sh WINE PROGRAM.exe ARGUMENTS…
# On a busy machine Wine now and then fails to start a program at all: it ends at once
# with an error and has written nothing. Such a run is made once more, and the output says
# so; a program that ran and failed (it wrote something) fails as it is.
set -uo pipefail
wine=$1
shift
output=$(mktemp)
trap 'rm -f "$output"' EXIT
"$wine" "$@" >"$output" 2>&1
code=$?
if [ "$code" -ne 0 ] && [ ! -s "$output" ]; then
  echo "wine-prueba: Wine no llegó a arrancar $(basename "$1") (código $code, sin salida);" \
       "se ejecuta otra vez." >&2
  "$wine" "$@" >"$output" 2>&1
  code=$?
fi
cat "$output"
exit "$code"
