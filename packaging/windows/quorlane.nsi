; The Windows installer of Quorlane, built by makensis (make windows):
; Quorlane.exe in Program Files, a Start-menu shortcut, "Open with Quorlane"
; on folders in Explorer, an entry in Apps & features and an uninstaller
; that takes all of it away again. The saved control values (the user's
; registry key Software\Quorlane) stay.
;   makensis -DVERSION=1.01 -DSTAGE=folder-with-the-files -DOUTFILE=setup.exe quorlane.nsi
Target amd64-unicode ; a 64-bit installer for the 64-bit program
SetCompressor /SOLID lzma
!include x64.nsh

!define APPKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlane"
!define VERBKEY "Software\Classes\Directory\shell\Quorlane"

Name "Quorlane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quorlane"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "1.0.0.1"
VIAddVersionKey /LANG=1033 "ProductName" "Quorlane"
VIAddVersionKey /LANG=1033 "FileDescription" "Quorlane ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Quorlane team"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Quorlane"
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quorlane.exe"
    File "${STAGE}/LICENSE.txt"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Quorlane.lnk" "$INSTDIR\Quorlane.exe" "" "$INSTDIR\Quorlane.exe" 0

    ; Explorer's verb on folders: the folder is the one the program opens at.
    WriteRegStr HKLM "${VERBKEY}" "" "Open with Quorlane"
    WriteRegStr HKLM "${VERBKEY}" "Icon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr HKLM "${VERBKEY}\command" "" '"$INSTDIR\Quorlane.exe" "%1"'

    WriteRegStr HKLM "${APPKEY}" "DisplayName" "Quorlane"
    WriteRegStr HKLM "${APPKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${APPKEY}" "Publisher" "The Quorlane team"
    WriteRegStr HKLM "${APPKEY}" "DisplayIcon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr HKLM "${APPKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${APPKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${APPKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${APPKEY}" "NoModify" 1
    WriteRegDWORD HKLM "${APPKEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${APPKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\Quorlane.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Quorlane.lnk"
    DeleteRegKey HKLM "${VERBKEY}"
    DeleteRegKey HKLM "${APPKEY}"
SectionEnd
