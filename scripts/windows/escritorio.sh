#!/usr/bin/env bash
# The desktop program as a school gets it, under Wine, in the X server windows.sh started
# (DISPLAY), driven with the keyboard as a user would:
#  1. the installer, silent: the programs in the user's folder, the Start-menu entry, the
#     uninstaller in the list of programs, and a version, an icon and a manifest in both;
#  2. the main window from the installed folder (photographed), and Alt+S;
#  3. batch mode with the system's file dialog cancelled: Transformado=-1;
#  4. the help (F1) answers while the system's file dialog waits;
#  5. a batch export of the example through the system's file dialog, the path typed in
#     it (a folder with accents on drive C:, the tables on another drive): the chooser, the
#     end box, Transformado=1 beside vestran.exe, the six tables;
#  6. a batch import through the system's file dialog, with a solution written by the
#     planner stand-in: Transformado=1, the result beside the document, the document as it was;
#  7. the silent uninstall: the program gone, the user's documents and tables kept.
# Arguments: INSTALLER.exe CAPTURAS_FOLDER SIMULAR_SOLUC (the Linux build's planner stand-in)
set -euo pipefail
installer=$1 shots=$2 simular_soluc=$3
wine=/usr/lib/wine/wine64
work=$(mktemp -d)
trap 'pkill -f "vestran.exe" 2>/dev/null || true; rm -rf "$work"' EXIT

unix_path() { "$wine" winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }
windows_path() { "$wine" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
fail() { echo "ERROR: $*" >&2; exit 1; }

# The X window whose title matches, waiting up to 60 s for it.
window() {
  local id
  for _ in $(seq 1 120); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.5
  done
  fail "no apareció la ventana «$1»"
}

# Presses keys in a window.
keys() {
  local id=$1
  shift
  xdotool windowfocus --sync "$id" >/dev/null 2>&1 || true
  xdotool key --delay 100 "$@"
}

gone() {
  ! xdotool getwindowname "$1" >/dev/null 2>&1 || ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable
}

# Presses a key in a window until the window is gone. The key is pressed again only after
# three seconds without effect: a second press that came while the window was closing would
# reach the window behind it (Return in the main window starts another export).
press_until_gone() {
  local id=$1 key=$2
  for _ in $(seq 1 10); do
    keys "$id" "$key" >/dev/null 2>&1 || true
    for _ in $(seq 1 15); do
      sleep 0.2
      gone "$id" && return 0
    done
  done
  fail "la ventana $id no se cerró con $key"
}

# Waits up to 60 s for no vestran.exe to run.
wait_for_exit() {
  for _ in $(seq 1 120); do
    pgrep -f 'vestran\.exe' >/dev/null || return 0
    sleep 0.5
  done
  fail "vestran.exe sigue abierto"
}

# Whether the file is there within 20 s: under Wine the installer's last file (the Start-menu
# entry) was seen to land a moment after the installer had returned.
appears() {
  for _ in $(seq 1 40); do
    [ -f "$1" ] && return 0
    sleep 0.5
  done
  return 1
}

photograph() { xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2"; }

# Clicks a point of a window, as a user does to bring it to the front (there is no window
# manager to do it on a key).
click() { xdotool mousemove --window "$1" "$2" "$3" click 1 >/dev/null 2>&1; sleep 0.5; }

# The right-hand strip of a window, where a scroll bar moves.
right_strip() {
  local width
  width=$(xwininfo -id "$1" | sed -n 's/^ *Width: //p')
  xwd -id "$1" -silent | xwdtopnm 2>/dev/null | pnmcut -left $((width - 24)) -width 24 | pnmtopng
}

echo "   Instalación silenciosa" >&2
"$wine" "$(windows_path "$installer")" /S >/dev/null 2>&1
local_app=$("$wine" cmd.exe /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
app_w="$local_app\\Programs\\vestran"
app=$(unix_path "$app_w")
for file in vestran.exe vestran-cli.exe desinstalar.exe ayuda.html platforms/qwindows.dll; do
  appears "$app/$file" || fail "falta $file en la carpeta instalada $app_w"
done
start_menu=$(unix_path "$("$wine" cmd.exe /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")
appears "$start_menu/vestran.lnk" || fail "falta el acceso del menú Inicio en $start_menu"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vestran'
for attempt in $(seq 1 20); do
  "$wine" reg query "$uninstall_key" /v QuietUninstallString >/dev/null 2>&1 && break
  [ "$attempt" = 20 ] && fail "el desinstalador no figura en la lista de programas"
  sleep 1
done
for exe in vestran.exe vestran-cli.exe; do
  resources=$(wrestool -l "$app/$exe")
  for kind in "type=version" "type=group_icon" "--type=24 "; do
    grep -q -- "$kind" <<<"$resources" || fail "$exe no lleva el recurso $kind"
  done
  wrestool -x --raw --type=24 "$app/$exe" | grep -q longPathAware || fail "$exe no lleva su manifiesto"
done

echo "   La ventana principal" >&2
"$wine" "$app/vestran.exe" >/dev/null 2>&1 &
main=$(window "^Exportar e importar datos entre Dalmerin y Colmeda $")
sleep 1
photograph "$main" "$shots/ventana-principal-wine.png"
keys "$main" alt+s
wait_for_exit

echo "   Modo por lotes con el diálogo de Windows cancelado" >&2
rm -f "$app/Dalmerin.ini"
"$wine" "$app/vestran.exe" exportar x >/dev/null 2>&1 &
press_until_gone "$(window "^Seleccione Archivo XML obtenido de COLMEDA$")" Escape
press_until_gone "$(window "^TransVestranColmeda$")" Return
wait_for_exit
[ "$(tr -d '\r' <"$app/Dalmerin.ini")" = $'[Transformadores]\nTransformado=-1' ] ||
  fail "Dalmerin.ini no dice -1: $(cat "$app/Dalmerin.ini")"

echo "   La ayuda responde mientras espera el diálogo de Windows" >&2
"$wine" "$app/vestran.exe" >/dev/null 2>&1 &
main=$(window "^Exportar e importar datos entre Dalmerin y Colmeda $")
keys "$main" F1
help=$(window "^Ayuda de ")
# Back to the main window, whose export button has the focus: Return exports.
click "$main" 20 200
keys "$main" Return
dialog=$(window "^Seleccione Archivo XML obtenido de COLMEDA$")
sleep 1
photograph "$dialog" "$shots/dialogo-de-windows.png"
right_strip "$help" >"$work/ayuda-antes.png"
click "$help" $(($(xwininfo -id "$help" | sed -n 's/^ *Width: //p') - 100)) 100
xdotool key --delay 100 Next Next Next
sleep 1
right_strip "$help" >"$work/ayuda-despues.png"
cmp -s "$work/ayuda-antes.png" "$work/ayuda-despues.png" &&
  fail "la ayuda no se movió con AvPág mientras el diálogo esperaba"
press_until_gone "$dialog" Escape
press_until_gone "$(window "^TransVestranColmeda$")" Return
click "$main" 20 200
keys "$main" alt+s
wait_for_exit

echo "   Exportación por lotes con el diálogo de Windows" >&2
documents="$local_app\\Documentos del centro Año 2026"
mkdir -p "$(unix_path "$documents")"
cp "$app/ejemplo/centro-ejemplo.xml" "$(unix_path "$documents")/centro ejemplo.xml"
tables="$work/DTEMP"
rm -f "$app/Dalmerin.ini"
VESTRAN_DTEMP=$(windows_path "$tables") "$wine" "$app/vestran.exe" exportar x >/dev/null 2>&1 &
dialog=$(window "^Seleccione Archivo XML obtenido de COLMEDA$")
xdotool windowfocus --sync "$dialog" >/dev/null 2>&1 || true
xdotool type --delay 30 "$documents\\centro ejemplo.xml"
keys "$dialog" Return
chooser=$(window "^Planillas, Marcos o Jornadas Horarias$")
keys "$chooser" space Return
press_until_gone "$(window "^TransVestranColmeda$")" Return
wait_for_exit
[ "$(tr -d '\r' <"$app/Dalmerin.ini")" = $'[Transformadores]\nTransformado=1' ] ||
  fail "Dalmerin.ini no dice 1: $(cat "$app/Dalmerin.ini")"
for table in ASIGNOMT PROFT AULAT DIASHORAST GRUPOST ASIGT; do
  [ -f "$tables/$table.DBF" ] || fail "la exportación no escribió $table.DBF"
done

echo "   Importación por lotes con el diálogo de Windows" >&2
"$simular_soluc" --dir "$tables" >/dev/null
rm -f "$app/Dalmerin.ini"
VESTRAN_DTEMP=$(windows_path "$tables") "$wine" "$app/vestran.exe" importar x >/dev/null 2>&1 &
# First the reminder to open the document Colmeda exported, then the dialog.
press_until_gone "$(window "^TransVestranColmeda$")" Return
dialog=$(window "^Seleccione Archivo XML obtenido de COLMEDA$")
xdotool windowfocus --sync "$dialog" >/dev/null 2>&1 || true
xdotool type --delay 30 "$documents\\centro ejemplo.xml"
keys "$dialog" Return
press_until_gone "$(window "^TransVestranColmeda$")" Return
wait_for_exit
[ "$(tr -d '\r' <"$app/Dalmerin.ini")" = $'[Transformadores]\nTransformado=1' ] ||
  fail "Dalmerin.ini no dice 1 tras importar: $(cat "$app/Dalmerin.ini")"
result="$(unix_path "$documents")/ResultadoVestrancentro ejemplo.xml"
[ -f "$result" ] || fail "la importación no escribió $result"
grep -q "<horario" "$result" || fail "el resultado no tiene el horario"
cmp -s "$app/ejemplo/centro-ejemplo.xml" "$(unix_path "$documents")/centro ejemplo.xml" ||
  fail "la importación cambió el documento elegido"

echo "   Desinstalación silenciosa" >&2
"$wine" "$app_w\\desinstalar.exe" /S >/dev/null 2>&1
# The uninstaller goes on from a copy of itself: its work is done when the folder is gone.
for _ in $(seq 1 60); do [ -d "$app" ] || break; sleep 0.5; done
[ -d "$app" ] && fail "la carpeta del programa sigue ahí: $(ls "$app")"
[ -f "$start_menu/vestran.lnk" ] && fail "el acceso del menú Inicio sigue ahí"
"$wine" reg query "$uninstall_key" >/dev/null 2>&1 && fail "el programa sigue en la lista"
[ -f "$(unix_path "$documents")/centro ejemplo.xml" ] || fail "se borró el documento del usuario"
[ -f "$tables/ASIGT.DBF" ] || fail "se borraron las tablas del usuario"
rm -rf "$(unix_path "$documents")"
echo "   Capturas en $shots" >&2
