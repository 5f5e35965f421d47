#!/usr/bin/env bash
# Renders the main window and the frame chooser (with the bundled example) to
# docs/capturas/*.png, without a display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" gui_tests >/dev/null
mkdir -p "$root/docs/capturas"
QT_QPA_PLATFORM=offscreen VESTRAN_CAPTURAS="$root/docs/capturas" \
  VESTRAN_CAPTURAS_DOCUMENTO="$root/examples/centro-ejemplo.xml" \
  "${VESTRAN_BUILD_DIR:-$root/build}/tests/gui_tests" screenshots >/dev/null
ls "$root/docs/capturas"
