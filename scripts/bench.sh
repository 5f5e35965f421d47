#!/usr/bin/env bash
# How fast vestran is, in one run:
#  1. Google Benchmark's export and import over input size, with the order it fits;
#  2. vestran-cli on a generated school of 120,000 sessions against xmllint --noout, which
#     only parses: the export at most 3 times xmllint's time on the document and 1.5 times
#     its peak memory, the import at most 2.5 times xmllint's time on the result.
# Times are the best of three runs. Arguments go to the benchmark program
# (--benchmark_filter=…); --solo-proporciones skips part 1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTRAN_BUILD_DIR:-$root/build}
"$root/scripts/ensure-deps.sh" libbenchmark-dev libxml2-utils time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRAN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  --target vestran_bench --target vestran-cli --target vestran-generar-centro >/dev/null

if [ "${1:-}" != --solo-proporciones ]; then
  "$build/bench/vestran_bench" "$@"
fi

sessions=${VESTRAN_BENCH_SESIONES:-120000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/vestran-generar-centro" "$sessions" >"$work/centro.xml"

# Best wall time (s) and the peak resident memory (KB) of that run, of three.
measure() {
  local best="" memory=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    read -r seconds kb <"$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds memory=$kb; fi
  done
  echo "$best $memory"
}

cli="$build/src/cli/vestran-cli"
read -r parse parseMemory < <(measure xmllint --noout "$work/centro.xml")
read -r export exportMemory < <(measure "$cli" exportar "$work/centro.xml" --dir "$work/DTEMP")
"$build/tools/vestran-generar-centro" --solucion "$work/DTEMP"
read -r import importMemory < <(measure "$cli" importar "$work/centro.xml" --dir "$work/DTEMP")
read -r parseResult _ < <(measure xmllint --noout "$work/ResultadoVestrancentro.xml")

ratio() { awk "BEGIN{printf \"%.2f\", $1 / $2}"; }
within() { awk "BEGIN{exit !($1 <= $2)}" && echo "dentro" || echo "FUERA"; }
size=$(du -m "$work/centro.xml" | cut -f1)
echo
echo "Centro de $sessions sesiones ($size MB), mejor de tres:"
printf '  xmllint --noout del documento   %6.2f s  %7d KB\n' "$parse" "$parseMemory"
printf '  exportar                        %6.2f s  %7d KB\n' "$export" "$exportMemory"
printf '  importar                        %6.2f s  %7d KB\n' "$import" "$importMemory"
printf '  xmllint --noout del resultado   %6.2f s\n' "$parseResult"
e=$(ratio "$export" "$parse")
m=$(ratio "$exportMemory" "$parseMemory")
i=$(ratio "$import" "$parseResult")
echo "Proporciones:"
echo "  tiempo de exportar / xmllint del documento:  $e (objetivo 3,00: $(within "$e" 3))"
echo "  memoria de exportar / xmllint del documento: $m (objetivo 1,50: $(within "$m" 1.5))"
echo "  tiempo de importar / xmllint del resultado:  $i (objetivo 2,50: $(within "$i" 2.5))"
