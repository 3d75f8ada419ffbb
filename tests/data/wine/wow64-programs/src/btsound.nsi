; Brindle Test Sound: a sound program that spreads itself over the system: a COM server,
; a codec and a tray starter in system32 (syswow64 on disk), a mixer in the common
; files, a font. Its uninstaller is sloppy: it deletes every file but cleans only its
; own settings and its Uninstall key, leaving the COM class, the shared-DLL count, the
; codec, the Shared Tools path, the font and the Run value pointing at nothing.
!include "brindle-test.nsh"

Name "Brindle Test Sound"
OutFile "${BUILD}/btsound-setup.exe"
InstallDir "$PROGRAMFILES\Brindle Test Sound"

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/btsound.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$SYSDIR"
  File "${BUILD}/btsndcore.dll"
  File "${BUILD}/btsnd.acm"
  File "${BUILD}/btsndtray.exe"
  SetOutPath "$COMMONFILES\Brindle Shared"
  File "${BUILD}/btmixer.exe"
  SetOutPath "$FONTS"
  File "${BUILD}/btsndsym.ttf"

  RegDLL "$SYSDIR\btsndcore.dll"
  !insertmacro BtShareFile "$SYSDIR\btsndcore.dll"
  WriteRegStr HKLM "${DRIVERS32}" "msacm.btsnd" "btsnd.acm"
  WriteRegExpandStr HKLM "${SHARED_TOOLS}\Brindle Test Sound Mixer" "Path" "%CommonProgramFiles%\Brindle Shared\btmixer.exe"
  WriteRegStr HKLM "${FONTS_KEY}" "Brindle Test Sound Symbols (TrueType)" "btsndsym.ttf"
  WriteRegStr HKLM "${RUN_KEY}" "Brindle Test Sound Tray" "btsndtray.exe"
  WriteRegStr HKLM "Software\Brindle Test Programs\Sound" "Volume" "80"
  !insertmacro BtUninstallEntry "BrindleTestSound" "Brindle Test Sound 1.0"
SectionEnd

Section Uninstall
  Delete "$SYSDIR\btsndcore.dll"
  Delete "$SYSDIR\btsnd.acm"
  Delete "$SYSDIR\btsndtray.exe"
  RMDir /r "$COMMONFILES\Brindle Shared"
  Delete "$FONTS\btsndsym.ttf"
  DeleteRegKey HKLM "Software\Brindle Test Programs\Sound"
  DeleteRegKey /ifempty HKLM "Software\Brindle Test Programs"
  DeleteRegKey HKLM "${UNINSTALL_KEY}\BrindleTestSound"
  RMDir /r "$INSTDIR"
SectionEnd
