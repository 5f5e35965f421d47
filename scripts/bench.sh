#!/usr/bin/env bash
# How fast vestran is, measured so that it holds on a shared machine:
#  1. Google Benchmark: the export and the import over input size (with the order they fit)
#     and the time of each table builder and of the write-back, by name.
#  2. vestran-cli against libxml2's own parse (xmllint --noout), run by run: after a
#     warm-up, pairs of runs (xmllint, vestran, xmllint, vestran, …) compare CPU time (user
#     + system) and peak memory; the median of the pairs' ratios is the figure. Two shapes
#     of generated school (many subjects, rooms and groups; or two time frames with few of
#     them shared by many sessions, long accented names) at two sizes, to show the growth
#     per doubling. Targets: the export at most 2.0 times xmllint's CPU time on the document
#     and 1.3 times its memory; the import at most 1.5 times xmllint's CPU time on the result
#     and 0.5 times its memory; each job's CPU time at most 1.15 times per doubling of the
#     school, beyond the double (the two sizes paired run by run as well).
# Exits 1 when a figure misses its target. Options: --solo-proporciones skips step 1;
# --pares N (at least 5) and --sesiones N (the larger size; the smaller is half) change the
# measure; what follows -- goes to the benchmark program (--benchmark_filter=…).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTRAN_BUILD_DIR:-$root/build}
pairs=7
sessions=120000
googleBenchmark=1
benchArgs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --solo-proporciones) googleBenchmark=0 ;;
    --pares) pairs=$2; shift ;;
    --sesiones) sessions=$2; shift ;;
    --) shift; benchArgs=("$@"); break ;;
    *) echo "Opción desconocida: $1" >&2; exit 2 ;;
  esac
  shift
done
if [ "$pairs" -lt 5 ]; then echo "Hacen falta al menos 5 pares." >&2; exit 2; fi

"$root/scripts/ensure-deps.sh" libbenchmark-dev libxml2-utils time
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTRAN_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  --target vestran_bench --target vestran-cli --target vestran-generar-centro >/dev/null

if [ "$googleBenchmark" = 1 ]; then
  "$build/bench/vestran_bench" "${benchArgs[@]}"
fi

cli="$build/src/cli/vestran-cli"
generator="$build/tools/vestran-generar-centro"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run: "cpu-seconds wall-seconds peak-KB".
run() {
  /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    echo "Falló: $*" >&2
    cat "$work/err" >&2
    exit 1
  }
  awk '{printf "%.3f %.3f %d\n", $1 + $2, $3, $4}' "$work/time"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Pairs `reference` (a command) and `job` (a command), after a warm-up of each; `prepare`
# runs before every run of either. Prints "cpu-ratio memory-ratio job-cpu reference-cpu
# job-wall reference-wall", medians over the pairs.
paired() {
  local prepare=$1 reference=$2 job=$3
  eval "$prepare"; run $job >/dev/null; eval "$prepare"; run $reference >/dev/null
  : >"$work/pairs"
  for _ in $(seq "$pairs"); do
    eval "$prepare"
    read -r rc rw rm < <(run $reference)
    eval "$prepare"
    read -r jc jw jm < <(run $job)
    echo "$rc $rw $rm $jc $jw $jm" >>"$work/pairs"
  done
  local cpu mem jobCpu refCpu jobWall refWall
  cpu=$(awk '{print $4 / $1}' "$work/pairs" | median)
  mem=$(awk '{print $6 / $3}' "$work/pairs" | median)
  jobCpu=$(awk '{print $4}' "$work/pairs" | median)
  refCpu=$(awk '{print $1}' "$work/pairs" | median)
  jobWall=$(awk '{print $5}' "$work/pairs" | median)
  refWall=$(awk '{print $2}' "$work/pairs" | median)
  echo "$cpu $mem $jobCpu $refCpu $jobWall $refWall"
}

failed=0
# Prints a figure against its target and notes a miss.
check() {
  local label=$1 value=$2 target=$3
  local verdict=dentro
  awk "BEGIN{exit !($value <= $target)}" || { verdict=FUERA; failed=1; }
  printf '    %-44s %6.2f  (objetivo %.2f: %s)\n' "$label" "$value" "$target" "$verdict"
}

echo
echo "vestran frente a xmllint --noout, mediana de $pairs pares tras un calentamiento;"
echo "CPU = usuario + sistema. Máquina: $(nproc) núcleos, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo),"
echo "  $(awk -F: '/model name/ {sub(/^ /, "", $2); print $2; exit}' /proc/cpuinfo)"
for shape in dispersa compartida; do
  flags=""; frames=""
  if [ "$shape" = compartida ]; then flags=--compartido; frames="--marcos MAÑANA,TARDE"; fi
  for n in $((sessions / 2)) "$sessions"; do
    dir="$work/$shape-$n"
    mkdir -p "$dir"
    "$generator" "$n" $flags >"$dir/centro.xml"
    read -r ec em ej er ejw erw < <(paired "rm -rf '$dir/DTEMP'" \
      "xmllint --noout $dir/centro.xml" "$cli exportar $dir/centro.xml --dir $dir/DTEMP $frames")
    "$generator" --solucion "$dir/DTEMP"
    run "$cli" importar "$dir/centro.xml" --dir "$dir/DTEMP" >/dev/null
    read -r ic im ij ir ijw irw < <(paired ":" \
      "xmllint --noout $dir/ResultadoVestrancentro.xml" "$cli importar $dir/centro.xml --dir $dir/DTEMP")
    echo
    printf '  %s, %d sesiones (documento %d MB, resultado %d MB):\n' "$shape" "$n" \
      "$(du -m "$dir/centro.xml" | cut -f1)" "$(du -m "$dir/ResultadoVestrancentro.xml" | cut -f1)"
    printf '    exportar: %.2f s de CPU (%.2f s reales); xmllint del documento %.2f s (%.2f s)\n' \
      "$ej" "$ejw" "$er" "$erw"
    printf '    importar: %.2f s de CPU (%.2f s reales); xmllint del resultado %.2f s (%.2f s)\n' \
      "$ij" "$ijw" "$ir" "$irw"
    if [ "$n" = "$sessions" ]; then
      check "CPU de exportar / xmllint del documento" "$ec" 2.0
      check "memoria de exportar / xmllint del documento" "$em" 1.3
      check "CPU de importar / xmllint del resultado" "$ic" 1.5
      check "memoria de importar / xmllint del resultado" "$im" 0.5
    else
      printf '    (proporciones: exportar %.2f CPU, %.2f memoria; importar %.2f CPU, %.2f memoria)\n' \
        "$ec" "$em" "$ic" "$im"
    fi
  done
  # The growth pairs the two sizes run by run too: the job on the whole school against the
  # job on half of it, so that a slower stretch of the machine weighs on both alike.
  small="$work/$shape-$((sessions / 2))" large="$work/$shape-$sessions"
  read -r ig _ < <(paired ":" "$cli importar $small/centro.xml --dir $small/DTEMP" \
    "$cli importar $large/centro.xml --dir $large/DTEMP")
  read -r eg _ < <(paired "rm -rf '$small/DTEMP' '$large/DTEMP'" \
    "$cli exportar $small/centro.xml --dir $small/DTEMP $frames" \
    "$cli exportar $large/centro.xml --dir $large/DTEMP $frames")
  check "crecimiento de exportar al doblar" "$(awk "BEGIN{print $eg / 2}")" 1.15
  check "crecimiento de importar al doblar" "$(awk "BEGIN{print $ig / 2}")" 1.15
done
echo
if [ "$failed" = 1 ]; then
  echo "Alguna cifra queda FUERA de su objetivo."
  exit 1
fi
echo "Todas las cifras dentro de su objetivo."
