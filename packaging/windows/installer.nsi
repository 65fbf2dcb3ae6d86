; The Windows program's installer: for the person running it only, so it never asks for an
; administrator. It puts the program under %LOCALAPPDATA%\Programs\Cellbrae, a Start menu
; shortcut "Cellbrae" and an entry in the list of installed programs; the uninstaller takes
; all of that away again, or nothing at all while the program runs. /S installs or
; uninstalls without a word.
;   makensis -DVERSION=0.1.0 -DSTAGE=DIR -DICON=FILE -DOUTFILE=FILE installer.nsi
; STAGE holds the files as the zip has them: cellbrae.exe, README.txt, NOTICES.txt.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Cellbrae"
; Set when the install had to create the folder that holds the program's folder; only then
; does the uninstaller remove that folder too (and only when nothing else is in it).
!define MADE_PARENT_VALUE "CellbraeMadeParentFolder"
; The class of the program's window (platform/user32), by which the uninstaller finds it.
!define WINDOW_CLASS "CellbraeWindow"
; How long a program asked to close may take to end: 150 rounds of 200 ms.
!define END_ROUNDS 150

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

LangString CloseCellbrae ${LANG_SIMPCHINESE} "Cellbrae 正在运行，它的程序文件删不掉。$\r$\n$\r$\n请关闭 Cellbrae 的窗口，然后点$\"重试$\"。点$\"取消$\"则什么也不卸载。"
LangString CloseCellbrae ${LANG_ENGLISH} "Cellbrae is running, so its program file cannot be removed.$\r$\n$\r$\nClose the Cellbrae window, then click Retry. Cancel uninstalls nothing."
LangString NothingRemoved ${LANG_SIMPCHINESE} "Cellbrae 仍在运行，什么也没有卸载。"
LangString NothingRemoved ${LANG_ENGLISH} "Cellbrae is still running: nothing was uninstalled."

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

; Asks every window of the program to close, as its close box does; one that does not answer
; within 5 s is left to the wait that follows.
Function un.closeProgramWindows
  StrCpy $R1 0
  ${Do}
    FindWindow $R2 "${WINDOW_CLASS}"
    ${If} $R2 = 0
    ${OrIf} $R1 >= 10
      ${Break}
    ${EndIf}
    SendMessage $R2 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    IntOp $R1 $R1 + 1
  ${Loop}
FunctionEnd

; The program's file goes first, and nothing else goes while it cannot: the system keeps a
; running program's file, and an uninstall that went on would leave the program and its
; folder behind with no entry, no shortcut and no uninstaller to remove them. Silently, the
; program's windows are asked to close and it is given its time to end; otherwise the person
; is asked to close it. When it still runs, nothing is removed, the uninstall says so and
; ends with exit code 2.
Function un.removeProgramFile
  StrCpy $R0 0  ; rounds waited since the program was last asked to close
  ${Do}
    ClearErrors
    Delete "$INSTDIR\cellbrae.exe"
    ${IfNot} ${Errors}
      Return
    ${EndIf}
    ${If} ${Silent}
      ${If} $R0 = 0
        Call un.closeProgramWindows
      ${ElseIf} $R0 >= ${END_ROUNDS}
        Abort "$(NothingRemoved)"
      ${EndIf}
    ${Else}
      ; A window shows, or none does and the program still has not ended.
      FindWindow $R2 "${WINDOW_CLASS}"
      ${If} $R2 <> 0
      ${OrIf} $R0 >= ${END_ROUNDS}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CloseCellbrae)" IDRETRY +2
        Abort "$(NothingRemoved)"
        StrCpy $R0 0
        ${Continue}
      ${EndIf}
    ${EndIf}
    Sleep 200
    IntOp $R0 $R0 + 1
  ${Loop}
FunctionEnd

; Only the files the install put there: a folder the person chose may hold things of theirs,
; so it goes only when it is empty.
Section "Uninstall"
  Call un.removeProgramFile
  Delete "$SMPROGRAMS\Cellbrae.lnk"
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
