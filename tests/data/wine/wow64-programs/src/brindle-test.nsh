; Settings and steps the made-up test programs' installers share. Each is a 32-bit
; installer, so everything it writes under HKLM\Software and HKEY_CLASSES_ROOT lands in
; the 32-bit view of a 64-bit prefix without it asking, and $SYSDIR is
; C:\windows\system32 as a 32-bit program sees it (syswow64 on disk).
; makensis -DBUILD=folder: the folder holding the built programs and files.
Unicode true
Target x86-unicode
RequestExecutionLevel admin
SetCompressor zlib
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define SHARED_DLLS "Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define DRIVERS32 "Software\Microsoft\Windows NT\CurrentVersion\Drivers32"
!define FONTS_KEY "Software\Microsoft\Windows NT\CurrentVersion\Fonts"
!define HELP_KEY "Software\Microsoft\Windows\Help"
!define HTML_HELP_KEY "Software\Microsoft\Windows\HTML Help"
!define SHARED_TOOLS "Software\Microsoft\Shared Tools"

; One more user of a shared file, counted as Windows installers count them.
!macro BtShareFile PATH
  ReadRegDWORD $0 HKLM "${SHARED_DLLS}" "${PATH}"
  IntOp $0 $0 + 1
  WriteRegDWORD HKLM "${SHARED_DLLS}" "${PATH}" $0
!macroend

!macro BtUninstallEntry KEY NAME
  WriteRegStr HKLM "${UNINSTALL_KEY}\${KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}\${KEY}" "DisplayVersion" "1.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}\${KEY}" "Publisher" "Brindle Test Programs"
  WriteRegStr HKLM "${UNINSTALL_KEY}\${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}\${KEY}" "NoModify" 1
!macroend
