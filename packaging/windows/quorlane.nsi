; The Windows installer of Quorlane, built by makensis (make windows):
; Quorlane.exe for all users (in Program Files) or for the current user
; alone, without administrator rights (in the user's own programs folder), a
; Start-menu shortcut, "Open with Quorlane" in Explorer on folders, on the
; background of an open folder and on drives, an entry in Apps & features
; and an uninstaller that takes away what its install made. The saved
; control values (the user's registry key Software\Quorlane) stay.
;   makensis -DVERSION=1.01 -DSTAGE=folder-with-the-files -DOUTFILE=setup.exe quorlane.nsi
; Command line: /S silent, /AllUsers or /CurrentUser, /D=folder.
; An upgrade goes into the folder of the earlier install of its kind. While
; Quorlane.exe runs, the user is asked to close it; a silent run fails then
; with exit code 2 and changes nothing.
Target amd64-unicode ; a 64-bit installer for the 64-bit program
SetCompressor /SOLID lzma
!include x64.nsh

!define APPKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorlane"
!define VERBNAME "Open with Quorlane"
; Explorer's verbs: on a folder, on the background of an open folder (where
; %V is the open folder) and on a drive.
!define FOLDERVERB "Software\Classes\Directory\shell\Quorlane"
!define BACKGROUNDVERB "Software\Classes\Directory\Background\shell\Quorlane"
!define DRIVEVERB "Software\Classes\Drive\shell\Quorlane"
; The mutex Quorlane.exe holds while it runs.
!define RUNNING "Global\QuorlaneRunning"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR Quorlane
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${APPKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME InstallLocation
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${APPKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME InstallLocation
!define MULTIUSER_INSTALLMODEPAGE_TEXT_TOP "Install Quorlane for all users of this computer (this needs administrator rights), or for you alone?"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_ALLUSERS "For all users"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_CURRENTUSER "For me alone"
!include MultiUser.nsh
!include LogicLib.nsh

Name "Quorlane ${VERSION}"
OutFile "${OUTFILE}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "1.0.0.1"
VIAddVersionKey /LANG=1033 "ProductName" "Quorlane"
VIAddVersionKey /LANG=1033 "FileDescription" "Quorlane ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Quorlane team"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Files in use cannot be replaced or removed: the user closes Quorlane.exe
; first. A silent run cannot ask and ends with exit code 2.
!macro WAIT_UNTIL_CLOSED
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING}") p .r0'
        ${If} $0 == 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        ${If} ${Silent}
            SetErrorLevel 2
            Quit
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quorlane is running. Close it, then click Retry." IDRETRY`
            Quit
        ${EndIf}
    ${Loop}
!macroend

; The folder given with /D= stays; otherwise an upgrade goes where the
; earlier install of its kind lies, a first install to the kind's default.
Function .onInit
    SetRegView 64
    StrCpy $1 $INSTDIR
    !insertmacro MULTIUSER_INIT
    ${If} $1 != ""
        StrCpy $INSTDIR $1
    ${EndIf}
    !insertmacro WAIT_UNTIL_CLOSED
FunctionEnd

; The uninstaller takes away the install it lies in: the one for the
; current user when its folder is the one that user's install names.
Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
    ReadRegStr $0 HKCU "${APPKEY}" InstallLocation
    ${If} $0 == $INSTDIR
        Call un.MultiUser.InstallMode.CurrentUser
    ${EndIf}
    !insertmacro WAIT_UNTIL_CLOSED
FunctionEnd

Section "Quorlane"
    SetOutPath "$INSTDIR"
    File "${STAGE}/Quorlane.exe"
    File "${STAGE}/LICENSE.txt"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; The Start menu of all users or of the current user.
    CreateShortcut "$SMPROGRAMS\Quorlane.lnk" "$INSTDIR\Quorlane.exe" "" "$INSTDIR\Quorlane.exe" 0

    ; SHCTX is HKLM for all users, HKCU for the current user alone.
    WriteRegStr SHCTX "${FOLDERVERB}" "" "${VERBNAME}"
    WriteRegStr SHCTX "${FOLDERVERB}" "Icon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr SHCTX "${FOLDERVERB}\command" "" '"$INSTDIR\Quorlane.exe" "%1"'
    WriteRegStr SHCTX "${BACKGROUNDVERB}" "" "${VERBNAME}"
    WriteRegStr SHCTX "${BACKGROUNDVERB}" "Icon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr SHCTX "${BACKGROUNDVERB}\command" "" '"$INSTDIR\Quorlane.exe" "%V"'
    WriteRegStr SHCTX "${DRIVEVERB}" "" "${VERBNAME}"
    WriteRegStr SHCTX "${DRIVEVERB}" "Icon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr SHCTX "${DRIVEVERB}\command" "" '"$INSTDIR\Quorlane.exe" "%1"'

    WriteRegStr SHCTX "${APPKEY}" "DisplayName" "Quorlane"
    WriteRegStr SHCTX "${APPKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${APPKEY}" "Publisher" "The Quorlane team"
    WriteRegStr SHCTX "${APPKEY}" "DisplayIcon" "$INSTDIR\Quorlane.exe,0"
    WriteRegStr SHCTX "${APPKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${APPKEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${APPKEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${APPKEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${APPKEY}" "NoRepair" 1
    WriteRegDWORD SHCTX "${APPKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\Quorlane.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Quorlane.lnk"
    DeleteRegKey SHCTX "${FOLDERVERB}"
    DeleteRegKey SHCTX "${BACKGROUNDVERB}"
    DeleteRegKey SHCTX "${DRIVEVERB}"
    DeleteRegKey SHCTX "${APPKEY}"
SectionEnd
