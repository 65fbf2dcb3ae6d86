; The Windows program's installer: for the person running it only, so it never asks for an
; administrator. It puts the program under %LOCALAPPDATA%\Programs\Cellbrae, a Start menu
; shortcut "Cellbrae" and an entry in the list of installed programs; the uninstaller takes
; all of that away again. /S installs or uninstalls without a word.
;   makensis -DVERSION=0.1.0 -DSTAGE=DIR -DICON=FILE -DOUTFILE=FILE installer.nsi
; STAGE holds the files as the zip has them: cellbrae.exe, README.txt, NOTICES.txt.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Cellbrae"
; Set when the install had to create the folder that holds the program's folder; only then
; does the uninstaller remove that folder too (and only when nothing else is in it).
!define MADE_PARENT_VALUE "CellbraeMadeParentFolder"

Name "Cellbrae"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Cellbrae"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Cellbrae ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\cellbrae.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the one shown where the system speaks neither.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Cellbrae"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Cellbrae ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Cellbrae developers"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Copyright (c) 2026 Cellbrae developers"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section
  ${GetParent} "$INSTDIR" $0
  ${IfNot} ${FileExists} "$0\*.*"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "${MADE_PARENT_VALUE}" 1
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\cellbrae.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Cellbrae.lnk" "$INSTDIR\cellbrae.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Cellbrae"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Cellbrae developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\cellbrae.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

; Only the files the install put there: a folder the person chose may hold things of theirs,
; so it goes only when it is empty.
Section "Uninstall"
  Delete "$SMPROGRAMS\Cellbrae.lnk"
  Delete "$INSTDIR\cellbrae.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "${MADE_PARENT_VALUE}"
  ${If} $0 = 1
    ${GetParent} "$INSTDIR" $1
    RMDir "$1"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
