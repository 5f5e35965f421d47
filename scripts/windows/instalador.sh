#!/usr/bin/env bash
# Makes the per-user installer of the program folder that package.sh filled.
# Arguments: FOLDER VERSION INSTALLER.exe
set -euo pipefail
folder=$(cd "$1" && pwd) version=$2 output=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The File lines that install each file of the folder and the Delete lines that remove
# exactly those, deepest folders last.
{
  echo '!ifdef INSTALAR'
  (cd "$folder" && find . -type d | sort) | while read -r dir; do
    if [ "$dir" = . ]; then
      source="$folder" out='$INSTDIR'
    else
      rel=${dir#./}
      source="$folder/$rel" out="\$INSTDIR\\${rel//\//\\}"
    fi
    echo "SetOutPath \"$out\""
    find "$source" -maxdepth 1 -type f | sort | while read -r file; do
      echo "File \"$file\""
    done
  done
  echo 'SetOutPath "$INSTDIR"'
  echo '!else'
  (cd "$folder" && find . -type f | sort) | while read -r file; do
    rel=${file#./}
    echo "Delete \"\$INSTDIR\\${rel//\//\\}\""
  done
  (cd "$folder" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    rel=${dir#./}
    echo "RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done
  echo '!endif'
} >"$work/archivos.nsh"

makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DSALIDA="$output" -DICONO="$root/src/windows/vestran.ico" \
  -DTAMANO_KB="$(du -sk "$folder" | cut -f1)" -DARCHIVOS="$work/archivos.nsh" \
  "$here/instalador.nsi" >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log" >&2; exit 1; }
