; The Zentik installer: a per-user installation (no administrator rights) into
; %LOCALAPPDATA%\Programs\Zentik, Russian or English after the system's language.
; makensis -DVERSION=<a.b.c.d> -DSOURCE=<program folder> -DOUTFILE=<setup.exe> zentik.nsi
;
; A 64-bit installer, as the program is.
; Silent use: "setup.exe /S [/D=<folder>]" installs (Start menu shortcuts, no autostart;
; "/AUTOSTART" adds it); "Uninstall.exe /S" removes the program and keeps the settings,
; "/REMOVESETTINGS" removes them too.

Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef SOURCE
  !error "SOURCE (the program folder) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "Zentik-${VERSION}-setup.exe"
!endif

!define PRODUCT "Zentik"
!define PUBLISHER "Ombrelt"
!define SETTINGS_KEY "Software\Ombrelt\Zentik"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentik"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CLOCK_CLASS "TfrmClock"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zentik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "Zentik setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright © 2026 Ombrelt"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zentik.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgram ${LANG_RUSSIAN} "Часы Zentik"
LangString SecProgram ${LANG_ENGLISH} "Zentik clock"
LangString SecShortcuts ${LANG_RUSSIAN} "Ярлыки в меню «Пуск»"
LangString SecShortcuts ${LANG_ENGLISH} "Start menu shortcuts"
LangString SecAutostart ${LANG_RUSSIAN} "Запускать вместе с Windows"
LangString SecAutostart ${LANG_ENGLISH} "Start with Windows"
LangString AskRemoveSettings ${LANG_RUSSIAN} "Удалить и настройки часов (цвета, будильник, задания, привязки)?"
LangString AskRemoveSettings ${LANG_ENGLISH} "Remove the clock's settings too (colours, alarm, tasks, bindings)?"
LangString UninstallName ${LANG_RUSSIAN} "Удалить Zentik"
LangString UninstallName ${LANG_ENGLISH} "Uninstall Zentik"

; Asks a running clock to close and waits for it (up to 10 s): its files can then be replaced.
!macro CloseClock
  StrCpy $R1 0
  ${Do}
    FindWindow $R0 "${CLOCK_CLASS}" ""
    ${If} $R0 == 0
      ${Break}
    ${EndIf}
    ${If} $R1 == 0
      SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${EndIf}
    Sleep 100
    IntOp $R1 $R1 + 1
  ${LoopUntil} $R1 >= 100
!macroend

Section "!$(SecProgram)" SecProgramId
  SectionIn RO
  !insertmacro CloseClock
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zentik.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SecShortcuts)" SecShortcutsId
  CreateDirectory "$SMPROGRAMS\Zentik"
  CreateShortcut "$SMPROGRAMS\Zentik\Zentik.lnk" "$INSTDIR\Zentik.exe"
  CreateShortcut "$SMPROGRAMS\Zentik\$(UninstallName).lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

; The same value the options dialog's "start with Windows" box writes.
Section /o "$(SecAutostart)" SecAutostartId
  WriteRegStr HKCU "${RUN_KEY}" "Zentik" "$INSTDIR\Zentik.exe"
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecAutostartId} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro CloseClock
  ; Only what the installer put there, and what the program makes beside itself.
  Delete "$INSTDIR\Zentik.exe"
  Delete "$INSTDIR\ZentikAPI.dll"
  Delete "$INSTDIR\ZentikOpt.dll"
  Delete "$INSTDIR\Uplift.exe"
  Delete "$INSTDIR\help_zentik.chm"
  Delete "$INSTDIR\Zentik.log"
  RMDir /r "$INSTDIR\Language"
  RMDir /r "$INSTDIR\Plugins"
  RMDir /r "$INSTDIR\UpDate"
  RMDir /r "$SMPROGRAMS\Zentik"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ReadRegStr $0 HKCU "${RUN_KEY}" "Zentik"
  ${If} $0 == "$INSTDIR\Zentik.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Zentik"
  ${EndIf}

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskRemoveSettings)" IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    keep:
  ${EndIf}
  ; Last: the folder's disappearance tells that the uninstallation has finished.
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd

