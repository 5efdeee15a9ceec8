; Wayleap's installer: Wayleap.exe and SkipdoorCM.dll, and on 64-bit Windows
; SkipdoorCM64.dll too, each DLL registered in its own registry view under the
; same CLSID (64-bit Explorer loads the one, 32-bit programs' file dialogs the
; other). The menu itself is switched on in Wayleap.exe, which the finish page
; offers to start. Built by packaging/CMakeLists.txt:
;   makensis -DVERSION=a.b.c.d -DWAYLEAP_EXE=... -DSKIPDOORCM_DLL=...
;            -DSKIPDOORCM64_DLL=... -DWAYLEAP_ICON=... -DOUTFILE=... wayleap.nsi
; Uninstalling keeps the user's folder list (FolderList.dat) unless the user
; says otherwise, or /REMOVEDATA is given on the command line.

Unicode true

!ifndef VERSION | WAYLEAP_EXE | SKIPDOORCM_DLL | SKIPDOORCM64_DLL | WAYLEAP_ICON | OUTFILE
    !error "define VERSION, WAYLEAP_EXE, SKIPDOORCM_DLL, SKIPDOORCM64_DLL, WAYLEAP_ICON and OUTFILE"
!endif

!define CLSID "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wayleap"
!define FOLDER_HANDLER_KEY "Folder\shellex\ContextMenuHandlers\Wayleap"
!define BACKGROUND_HANDLER_KEY "Directory\Background\shellex\ContextMenuHandlers\Wayleap"
!define SHCNE_ASSOCCHANGED 0x08000000
!define SHCNF_IDLIST 0

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include Library.nsh
!include FileFunc.nsh

Name "Wayleap"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
BrandingText "Wayleap ${VERSION}"
; Registering the class writes HKEY_CLASSES_ROOT for every user of the machine.
RequestExecutionLevel admin

; FolderList.dat lives beside the modules and is rewritten by Wayleap.exe and
; by the shell extension, both running as the user, so the folder must be one
; the user can write: Program Files is not, for a standard user. A folder every
; user may write (C:\Wayleap with inherited rights) would let any of them
; replace a DLL that other users' Explorer loads. So: the user's own
; %LOCALAPPDATA%\Programs, unless /D= says otherwise.
InstallDir "$LOCALAPPDATA\Programs\Wayleap"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${WAYLEAP_ICON}"
!define MUI_UNICON "${WAYLEAP_ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Wayleap.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Wayleap to switch the menu on and choose your folders"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

VIProductVersion ${VERSION}
VIFileVersion ${VERSION}
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Wayleap"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Wayleap Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "The Wayleap project"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "The Wayleap project"

; The DLL is private to Wayleap: the copy carried here always replaces the one
; installed, whatever their versions. When Explorer holds the old one, Library.nsh
; puts the new one in place and registers it at the next restart.
!define LIBRARY_IGNORE_VERSION

Var RemoveData

; Tells the user, and sets the error level, when the class in the current
; registry view does not name FILE in $INSTDIR (which registers itself by its
; short path). Skipped when registration waits for a restart.
!macro CheckRegistered FILE
    ${IfNot} ${RebootFlag}
        GetFullPathName /SHORT $1 "$INSTDIR\${FILE}"
        ReadRegStr $0 HKCR "CLSID\${CLSID}\InprocServer32" ""
        ${If} $0 != $1
            SetErrorLevel 2
            MessageBox MB_OK|MB_ICONSTOP "${FILE} could not be registered. The Wayleap menu will not work." /SD IDOK
        ${EndIf}
    ${EndIf}
!macroend

!macro NotifyShell
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
!macroend

Function .onInit
    SetShellVarContext current
FunctionEnd

Section "Wayleap"
    SetOutPath "$INSTDIR"
    File "/oname=Wayleap.exe" "${WAYLEAP_EXE}"

    ; The installer is a 32-bit process: Library.nsh registers the 32-bit DLL
    ; in the installer's own (32-bit) view with RegDLL, and for the 64-bit DLL
    ; runs the system's 64-bit regsvr32 (file-system redirection off, so
    ; $SYSDIR is the real System32), which writes the 64-bit view.
    !insertmacro InstallLib REGDLL NOTSHARED REBOOT_PROTECTED "${SKIPDOORCM_DLL}" "$INSTDIR\SkipdoorCM.dll" "$INSTDIR"
    SetRegView 32
    !insertmacro CheckRegistered SkipdoorCM.dll
    ${If} ${RunningX64}
        !define LIBRARY_X64
        !insertmacro InstallLib REGDLL NOTSHARED REBOOT_PROTECTED "${SKIPDOORCM64_DLL}" "$INSTDIR\SkipdoorCM64.dll" "$INSTDIR"
        !undef LIBRARY_X64
        SetRegView 64
        !insertmacro CheckRegistered SkipdoorCM64.dll
    ${EndIf}
    SetRegView default
    ; FolderList.dat is the user's: never installed, never overwritten.

    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Wayleap.lnk" "$INSTDIR\Wayleap.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Wayleap"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Wayleap project"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Wayleap.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

    !insertmacro NotifyShell
SectionEnd

Function un.onInit
    SetShellVarContext current
    StrCpy $RemoveData 0
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/REMOVEDATA" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveData 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ${If} $RemoveData != 1
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
            "Do you also want to remove your list of folders?$\n$\nChoose No to keep it for when you install Wayleap again." \
            /SD IDNO IDNO +2
        StrCpy $RemoveData 1
    ${EndIf}

    ; The menu first, so that the shell stops asking for the class.
    SetRegView 32
    DeleteRegKey HKCR "${FOLDER_HANDLER_KEY}"
    DeleteRegKey HKCR "${BACKGROUND_HANDLER_KEY}"
    ${If} ${RunningX64}
        SetRegView 64
        DeleteRegKey HKCR "${FOLDER_HANDLER_KEY}"
        DeleteRegKey HKCR "${BACKGROUND_HANDLER_KEY}"
    ${EndIf}
    SetRegView default

    ; Each DLL unregisters itself in its own view; one that Explorer holds is
    ; moved aside and deleted at the next restart.
    !insertmacro UnInstallLib REGDLL NOTSHARED REBOOT_PROTECTED "$INSTDIR\SkipdoorCM.dll"
    ${If} ${RunningX64}
        !define LIBRARY_X64
        !insertmacro UnInstallLib REGDLL NOTSHARED REBOOT_PROTECTED "$INSTDIR\SkipdoorCM64.dll"
        !undef LIBRARY_X64
    ${EndIf}

    Delete "$INSTDIR\Wayleap.exe"
    Delete "$INSTDIR\uninstall.exe"
    ${If} $RemoveData == 1
        Delete "$INSTDIR\FolderList.dat"
        Delete "$INSTDIR\~WL*.tmp"  ; what an interrupted save of the list left
        DeleteRegKey HKCU "Software\Wayleap"
    ${EndIf}
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Wayleap.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    !insertmacro NotifyShell
SectionEnd
