#!/usr/bin/env bash
# Checks that every C++ source follows .clang-format; with --arreglar, formats them.
# Exits 1, naming the files, when one does not.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/ensure-deps.sh" clang-format
mapfile -t files < <(git ls-files '*.cpp' '*.hpp')
if [ "${1:-}" = --arreglar ]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
mal=()
for f in "${files[@]}"; do
  clang-format --style=file --dry-run -Werror "$f" >/dev/null 2>&1 || mal+=("$f")
done
if [ ${#mal[@]} -gt 0 ]; then
  echo "Sin el formato de .clang-format (./scripts/formato.sh --arreglar lo corrige):" >&2
  printf '  %s\n' "${mal[@]}" >&2
  exit 1
fi
