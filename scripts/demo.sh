#!/usr/bin/env bash
# The main job on the bundled example: export to a fresh planner directory (both time
# frames), a stand-in for the planner's solution, and the import back into a copy of the
# exchange document.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/ensure-deps.sh"
"$root/scripts/build.sh" vestran-cli vestran-simular-soluc >/dev/null
build=${VESTRAN_BUILD_DIR:-$root/build}
cli="$build/src/cli/vestran-cli"

work="$root/demo"
rm -rf "$work"
mkdir -p "$work"
cp "$root/examples/centro-ejemplo.xml" "$work/"
export VESTRAN_DTEMP="$work/DTEMP"

echo "== 1. Exportar al planificador (marcos horarios 1 y 2) =="
"$cli" exportar "$work/centro-ejemplo.xml" --marcos 1,2 2>"$work/informe-exportar.txt"
echo
echo "Informe de la exportación ($(wc -l <"$work/informe-exportar.txt") avisos):"
sed 's/^/  /' "$work/informe-exportar.txt"
echo
echo "== 2. El planificador resuelve el horario (simulado) =="
"$build/tools/vestran-simular-soluc"
echo
echo "== 3. Importar la solución =="
"$cli" importar "$work/centro-ejemplo.xml" 2>"$work/informe-importar.txt"
echo
echo "Informe de la importación:"
sed 's/^/  /' "$work/informe-importar.txt"
echo
echo "Tablas del planificador en $VESTRAN_DTEMP; para verlas:"
echo "  $cli tabla $VESTRAN_DTEMP/ASIGT.DBF"
