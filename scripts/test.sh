#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds (warnings are errors), and runs
#  1. the format check of every source (scripts/formato.sh);
#  2. every test (core, kills and races, CLI, windows headless, the project's rules);
#  3. the core's tests again under AddressSanitizer and UndefinedBehaviorSanitizer;
#  4. each fuzz target briefly (VESTRAN_FUZZ_SEGUNDOS, 15 s);
#  5. the Windows build, both programs, and their tests under Wine, the desktop program's
#     among them (scripts/windows.sh); VESTRAN_SIN_WINDOWS=1 leaves it out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
export VESTRAN_WERROR=ON
"$root/scripts/ensure-deps.sh"
"$root/scripts/formato.sh"
"$root/scripts/build.sh"
(cd "${VESTRAN_BUILD_DIR:-$root/build}" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

sanitized=${VESTRAN_SANITIZED_BUILD_DIR:-$root/build-sanitizers}
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE=Debug -DVESTRAN_BUILD_TESTS=ON \
  -DVESTRAN_BUILD_GUI=OFF -DVESTRAN_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all" \
  >/dev/null
cmake --build "$sanitized" -j "$jobs"
# The kill and race tests measure whole CLI runs; they ran above, at full speed.
(cd "$sanitized" && ctest --output-on-failure -j "$jobs" -LE faults)

"$root/scripts/fuzz.sh" "${VESTRAN_FUZZ_SEGUNDOS:-15}"

if [ "${VESTRAN_SIN_WINDOWS:-0}" != 1 ]; then
  "$root/scripts/windows.sh"
fi
