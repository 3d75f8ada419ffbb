; Brindle Test Paint: a paint program with a COM class of its own (registered by the
; installer, not by the DLL), an HTML Help file, an App Paths key and a tray starter.
; make-fixture.sh deletes its folder afterwards and leaves all of this behind.
!include "brindle-test.nsh"
!define CANVAS_CLSID "{3F6A2D18-7B4C-4E9A-A1D5-60C2B8E47F25}"
!define CANVAS_PROGID "BrindleTestPaint.Canvas.1"

Name "Brindle Test Paint"
OutFile "${BUILD}/btpaint-setup.exe"
InstallDir "$PROGRAMFILES\Brindle Test Paint"

Section
  SetOutPath "$INSTDIR"
  File "${BUILD}/btpaint.exe"
  File "${BUILD}/btpaintfx.dll"
  File "${BUILD}/btpaint.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKCR "CLSID\${CANVAS_CLSID}" "" "Brindle Test Paint Canvas"
  WriteRegStr HKCR "CLSID\${CANVAS_CLSID}\InprocServer32" "" "$INSTDIR\btpaintfx.dll"
  WriteRegStr HKCR "CLSID\${CANVAS_CLSID}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKCR "CLSID\${CANVAS_CLSID}\ProgID" "" "${CANVAS_PROGID}"
  WriteRegStr HKCR "${CANVAS_PROGID}" "" "Brindle Test Paint Canvas"
  WriteRegStr HKCR "${CANVAS_PROGID}\CLSID" "" "${CANVAS_CLSID}"

  WriteRegStr HKLM "${HTML_HELP_KEY}" "btpaint.chm" "$INSTDIR"
  WriteRegStr HKLM "${APP_PATHS}\btpaint.exe" "" "$INSTDIR\btpaint.exe"
  WriteRegStr HKLM "${APP_PATHS}\btpaint.exe" "Path" "$INSTDIR"
  WriteRegStr HKLM "${RUN_KEY}" "Brindle Test Paint Tray" '"$INSTDIR\btpaint.exe" /tray'
  !insertmacro BtUninstallEntry "BrindleTestPaint" "Brindle Test Paint 1.0"
SectionEnd

Section Uninstall
  DeleteRegKey HKCR "CLSID\${CANVAS_CLSID}"
  DeleteRegKey HKCR "${CANVAS_PROGID}"
  DeleteRegValue HKLM "${HTML_HELP_KEY}" "btpaint.chm"
  DeleteRegKey HKLM "${APP_PATHS}\btpaint.exe"
  DeleteRegValue HKLM "${RUN_KEY}" "Brindle Test Paint Tray"
  DeleteRegKey HKLM "${UNINSTALL_KEY}\BrindleTestPaint"
  RMDir /r "$INSTDIR"
SectionEnd
