; Brindle Test Notes: a notes program with a video codec registered by full path, a
; WinHelp file and an App Paths key. make-fixture.sh moves its folder elsewhere after the
; install, so every path it registered goes stale while the program itself still works.
!include "brindle-test.nsh"

Name "Brindle Test Notes"
OutFile "${BUILD}/btnotes-setup.exe"
InstallDir "$PROGRAMFILES\Brindle Test Notes"

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/btnotes.exe"
  File "${BUILD}/btnotes.drv"
  File "${BUILD}/btnotes.hlp"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${DRIVERS32}" "vidc.btnt" "$INSTDIR\btnotes.drv"
  WriteRegStr HKLM "${HELP_KEY}" "btnotes.hlp" "$INSTDIR"
  WriteRegStr HKLM "${APP_PATHS}\btnotes.exe" "" "$INSTDIR\btnotes.exe"
  !insertmacro BtUninstallEntry "BrindleTestNotes" "Brindle Test Notes 1.0"
SectionEnd

Section Uninstall
  DeleteRegValue HKLM "${DRIVERS32}" "vidc.btnt"
  DeleteRegValue HKLM "${HELP_KEY}" "btnotes.hlp"
  DeleteRegKey HKLM "${APP_PATHS}\btnotes.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}\BrindleTestNotes"
  RMDir /r "$INSTDIR"
SectionEnd
