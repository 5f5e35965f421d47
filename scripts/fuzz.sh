#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, and runs each for SECONDS (60 unless
# given), or only the targets named:
#   ./scripts/fuzz.sh [SECONDS] [tabla] [exportar] [importar] [documento]
# The corpus grows in build-fuzz/corpus/<target>, from the seeds in fuzz/semillas/; an
# input that crashes a target is kept in build-fuzz/hallazgos/<target>/ and the script
# fails. A finding is turned into a regression test before it is fixed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tabla exportar importar documento)
"$root/scripts/ensure-deps.sh" clang libclang-rt-14-dev cmake make libxml2-dev libicu-dev
build=${VESTRAN_FUZZ_BUILD_DIR:-$root/build-fuzz}
# The targets write files on every input; in memory that costs little.
[ -d /dev/shm ] && export TMPDIR=${TMPDIR:-/dev/shm}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all" \
  -DVESTRAN_BUILD_FUZZ=ON -DVESTRAN_BUILD_TESTS=OFF -DVESTRAN_BUILD_GUI=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" \
  $(for t in "${targets[@]}"; do echo --target "${t}_fuzz"; done) >/dev/null
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  findings="$build/hallazgos/$t"
  mkdir -p "$corpus" "$findings"
  echo "== $t: $seconds s" >&2
  if ! (cd "$findings" && "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=30 \
          -rss_limit_mb=4096 -print_final_stats=1 "$corpus" "$root/fuzz/semillas/$t" \
          >"$build/$t.log" 2>&1); then
    failed=1
    echo "   $t encontró un fallo; la entrada está en $findings:" >&2
    grep -m 5 -E "ERROR|SUMMARY|runtime error" "$build/$t.log" >&2 || true
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/$t.log" | sed 's/^/   /' >&2
  grep -E "^#[0-9]+.*(DONE|INITED).*cov:" "$build/$t.log" | tail -n 1 | sed 's/^/   /' >&2
done
exit $failed
