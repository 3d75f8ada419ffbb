; Brindle Test Clock: stays installed and working. Besides its folder it puts a COM
; server, a codec and a starter in system32 (syswow64 on disk), a print helper below
; system32\spool (which Wine does not redirect), a 64-bit helper through sysnative
; (the real system32) and a font, and names some of them through %ProgramFiles%, which a
; 32-bit program sees as C:\Program Files (x86).
!include "brindle-test.nsh"

Name "Brindle Test Clock"
OutFile "${BUILD}/btclock-setup.exe"
InstallDir "$PROGRAMFILES\Brindle Test Clock"

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/btclock.exe"
  File "${BUILD}/btclock.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$SYSDIR"
  File "${BUILD}/btclockface.dll"
  File "${BUILD}/btclock.acm"
  File "${BUILD}/btclkd.exe"
  SetOutPath "$SYSDIR\spool\drivers\w32x86\3"
  File "${BUILD}/btclkprt.dll"
  SetOutPath "$WINDIR\sysnative"
  File "${BUILD}/btclock64.exe"
  SetOutPath "$FONTS"
  File "${BUILD}/btclockd.ttf"

  RegDLL "$SYSDIR\btclockface.dll"
  !insertmacro BtShareFile "$SYSDIR\btclockface.dll"
  !insertmacro BtShareFile "$SYSDIR\spool\drivers\w32x86\3\btclkprt.dll"
  WriteRegStr HKLM "${DRIVERS32}" "msacm.btclk" "btclock.acm"
  WriteRegStr HKLM "${HTML_HELP_KEY}" "btclock.chm" "$INSTDIR"
  WriteRegStr HKLM "${APP_PATHS}\btclock.exe" "" "$INSTDIR\btclock.exe"
  WriteRegExpandStr HKLM "${SHARED_TOOLS}\Brindle Test Clock Sync" "Path" "%ProgramFiles%\Brindle Test Clock\btclock.exe"
  WriteRegStr HKLM "${FONTS_KEY}" "Brindle Test Clock Digits (TrueType)" "btclockd.ttf"
  WriteRegStr HKLM "${RUN_KEY}" "Brindle Test Clock Daemon" "btclkd.exe"
  WriteRegStr HKLM "${RUN_KEY}" "Brindle Test Clock Helper" '"$WINDIR\sysnative\btclock64.exe" /background'
  !insertmacro BtUninstallEntry "BrindleTestClock" "Brindle Test Clock 1.0"
  WriteRegExpandStr HKLM "${UNINSTALL_KEY}\BrindleTestClock" "UninstallString" '"%ProgramFiles%\Brindle Test Clock\uninstall.exe"'
SectionEnd

Section Uninstall
  UnRegDLL "$SYSDIR\btclockface.dll"
  Delete "$SYSDIR\btclockface.dll"
  Delete "$SYSDIR\btclock.acm"
  Delete "$SYSDIR\btclkd.exe"
  Delete "$SYSDIR\spool\drivers\w32x86\3\btclkprt.dll"
  Delete "$WINDIR\sysnative\btclock64.exe"
  Delete "$FONTS\btclockd.ttf"
  DeleteRegValue HKLM "${SHARED_DLLS}" "$SYSDIR\btclockface.dll"
  DeleteRegValue HKLM "${SHARED_DLLS}" "$SYSDIR\spool\drivers\w32x86\3\btclkprt.dll"
  DeleteRegValue HKLM "${DRIVERS32}" "msacm.btclk"
  DeleteRegValue HKLM "${HTML_HELP_KEY}" "btclock.chm"
  DeleteRegKey HKLM "${APP_PATHS}\btclock.exe"
  DeleteRegKey HKLM "${SHARED_TOOLS}\Brindle Test Clock Sync"
  DeleteRegValue HKLM "${FONTS_KEY}" "Brindle Test Clock Digits (TrueType)"
  DeleteRegValue HKLM "${RUN_KEY}" "Brindle Test Clock Daemon"
  DeleteRegValue HKLM "${RUN_KEY}" "Brindle Test Clock Helper"
  DeleteRegKey HKLM "${UNINSTALL_KEY}\BrindleTestClock"
  RMDir /r "$INSTDIR"
SectionEnd
