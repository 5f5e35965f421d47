; The installer of vestran for one user: no administrator rights, a folder the user can
; write to (batch mode writes Dalmerin.ini beside vestran.exe), a Start-menu entry, and an
; uninstaller in the system's list of programs. Silent with /S (and /D=folder), for IT.
; Built by instalador.sh: makensis -DVERSION=<x.y.z> -DSALIDA=<installer.exe>
;   -DICONO=<vestran.ico> -DTAMANO_KB=<size> -DARCHIVOS=<the File and Delete lines>

; A 64-bit installer, like the program: it runs wherever the program does.
Target amd64-unicode
!include "MUI2.nsh"

Name "vestran ${VERSION}"
OutFile "${SALIDA}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\vestran"
InstallDirRegKey HKCU "Software\vestran" "Carpeta"
SetCompressor /SOLID lzma
BrandingText "vestran ${VERSION}"

!define DESINSTALAR "Software\Microsoft\Windows\CurrentVersion\Uninstall\vestran"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=3082 "ProductName" "vestran"
VIAddVersionKey /LANG=3082 "FileDescription" "Instalador de vestran"
VIAddVersionKey /LANG=3082 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=3082 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=3082 "CompanyName" "Proyecto vestran"
VIAddVersionKey /LANG=3082 "LegalCopyright" "Software libre: vea la carpeta licencias del programa"

!define MUI_ICON "${ICONO}"
!define MUI_UNICON "${ICONO}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vestran.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEEME.txt"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SpanishInternational"

Section "vestran"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !define INSTALAR
  !include "${ARCHIVOS}"
  !undef INSTALAR
  WriteUninstaller "$INSTDIR\desinstalar.exe"
  CreateShortCut "$SMPROGRAMS\vestran.lnk" "$INSTDIR\vestran.exe" "" "$INSTDIR\vestran.exe" 0 \
    SW_SHOWNORMAL "" "Exportar e importar datos entre Dalmerin y Colmeda"
  WriteRegStr HKCU "Software\vestran" "Carpeta" "$INSTDIR"
  WriteRegStr HKCU "${DESINSTALAR}" "DisplayName" "vestran"
  WriteRegStr HKCU "${DESINSTALAR}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${DESINSTALAR}" "Publisher" "Proyecto vestran"
  WriteRegStr HKCU "${DESINSTALAR}" "DisplayIcon" "$INSTDIR\vestran.exe,0"
  WriteRegStr HKCU "${DESINSTALAR}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${DESINSTALAR}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
  WriteRegStr HKCU "${DESINSTALAR}" "QuietUninstallString" '"$INSTDIR\desinstalar.exe" /S'
  WriteRegDWORD HKCU "${DESINSTALAR}" "NoModify" 1
  WriteRegDWORD HKCU "${DESINSTALAR}" "NoRepair" 1
  WriteRegDWORD HKCU "${DESINSTALAR}" "EstimatedSize" ${TAMANO_KB}
SectionEnd

; Removes what the installer put and the status file the program writes beside itself;
; the user's documents, tables and results are elsewhere and stay.
Section "Uninstall"
  SetShellVarContext current
  !include "${ARCHIVOS}"
  Delete "$INSTDIR\Dalmerin.ini"
  Delete "$INSTDIR\desinstalar.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\vestran.lnk"
  DeleteRegKey HKCU "${DESINSTALAR}"
  DeleteRegKey HKCU "Software\vestran"
SectionEnd
