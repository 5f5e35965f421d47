#!/usr/bin/env bash
# The desktop program of the Windows zip under Wine, in a headless X server: the main
# window appears with its caption (and is photographed), and a batch run whose file
# dialog is cancelled writes Transformado=-1 to Dalmerin.ini beside vestran.exe.
# Arguments: APP_FOLDER (the unzipped zip) SCREENSHOT.png
set -euo pipefail
app=$1 screenshot=$2
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; pkill -f "$app/vestran.exe" 2>/dev/null || true' EXIT
export DISPLAY=$display
# Wine has no Arial; the metric-compatible Liberation fonts stand in, as on Linux.
for font in Arial "MS Sans Serif"; do
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ \
    /d "Liberation Sans" /f >/dev/null 2>&1
done

# The X window whose title matches, waiting up to 60 s for it.
window() {
  local id
  for _ in $(seq 1 120); do
    id=$(xdotool search --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.5
  done
  echo "No apareció la ventana «$1»" >&2
  return 1
}

# Presses a key in a window until the window is gone.
press_until_gone() {
  local id=$1 key=$2
  for _ in $(seq 1 40); do
    xdotool windowfocus --sync "$id" >/dev/null 2>&1 || true
    xdotool key "$key" >/dev/null 2>&1 || true
    sleep 0.5
    xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
  done
  echo "La ventana $id no se cerró con $key" >&2
  return 1
}

echo "   La ventana principal" >&2
"$wine" "$app/vestran.exe" >/dev/null 2>&1 &
main=$(window "^Exportar e importar datos entre Dalmerin y Colmeda $")
sleep 1
xwd -id "$main" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$screenshot"
xdotool windowfocus --sync "$main" >/dev/null 2>&1 || true
xdotool key alt+s
for _ in $(seq 1 40); do pgrep -f "$app/vestran.exe" >/dev/null || break; sleep 0.5; done
if pgrep -f "$app/vestran.exe" >/dev/null; then echo "Alt+S no cerró la ventana" >&2; exit 1; fi

echo "   Modo por lotes con el diálogo cancelado" >&2
rm -f "$app/Dalmerin.ini"
"$wine" "$app/vestran.exe" exportar x >/dev/null 2>&1 &
batch=$!
press_until_gone "$(window "^Seleccione Archivo XML obtenido de COLMEDA$")" Escape
press_until_gone "$(window "^TransVestranColmeda$")" Return
wait "$batch"
estado=$(tr -d '\r' <"$app/Dalmerin.ini")
if [ "$estado" != $'[Transformadores]\nTransformado=-1' ]; then
  echo "Dalmerin.ini no es el esperado:" >&2
  cat "$app/Dalmerin.ini" >&2
  exit 1
fi
rm -f "$app/Dalmerin.ini"
echo "   Captura: $screenshot" >&2
