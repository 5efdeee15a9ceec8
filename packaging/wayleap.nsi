; Wayleap's installer: Wayleap.exe and SkipdoorCM.dll, and on 64-bit Windows
; SkipdoorCM64.dll too. It needs no administrator rights: it installs into the
; user's own %LOCALAPPDATA%\Programs\Wayleap and registers each DLL for the user
; alone (regsvr32 /n /i:user, which writes HKCU\Software\Classes), in its own
; registry view under the same CLSID (64-bit Explorer loads the one, 32-bit
; programs' file dialogs the other). The menu itself is switched on in
; Wayleap.exe, which the finish page offers to start. Built by
; packaging/CMakeLists.txt:
;   makensis -DVERSION=a.b.c.d -DWAYLEAP_EXE=... -DSKIPDOORCM_DLL=...
;            -DSKIPDOORCM64_DLL=... -DWAYLEAP_ICON=... -DOUTFILE=... wayleap.nsi
; Uninstalling removes what installing and Wayleap.exe wrote for the user and
; keeps the user's folder list (FolderList.dat) unless the user says otherwise,
; or /REMOVEDATA is given on the command line.

Unicode true

!ifndef VERSION | WAYLEAP_EXE | SKIPDOORCM_DLL | SKIPDOORCM64_DLL | WAYLEAP_ICON | OUTFILE
    !error "define VERSION, WAYLEAP_EXE, SKIPDOORCM_DLL, SKIPDOORCM64_DLL, WAYLEAP_ICON and OUTFILE"
!endif

!define CLSID "{6A1E27C4-93B5-4D0E-8F21-5C7D0B9A3E16}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wayleap"
!define USER_CLASSES "Software\Classes"
!define FOLDER_HANDLER_KEY "Folder\shellex\ContextMenuHandlers\Wayleap"
!define BACKGROUND_HANDLER_KEY "Directory\Background\shellex\ContextMenuHandlers\Wayleap"
!define TYPELIB_KEY "TypeLib\{0D4B9E72-1F6C-4A83-B5E9-27C3A8F10D54}"
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
; Everything is written for the user who installs: no administrator rights.
RequestExecutionLevel user

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
; installed, whatever their versions.
!define LIBRARY_IGNORE_VERSION

Var RemoveData

; Where each DLL's class goes in the user's classes, read and written in the
; 64-bit registry view: a 32-bit DLL on 64-bit Windows keeps it under
; Wow6432Node, as Windows' 32-bit view of HKCU\Software\Classes\CLSID does.
!define CLASS32_ON_64 "${USER_CLASSES}\Wow6432Node\CLSID\${CLSID}"
!define CLASS_OWN "${USER_CLASSES}\CLSID\${CLSID}"

; Registers (OPTIONS empty) or unregisters (OPTIONS /u) FILE in $INSTDIR for
; the user with the regsvr32 of the running bitness ($SYSDIR).
!macro UserRegistration OPTIONS FILE
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${OPTIONS} /n /i:user "$INSTDIR\${FILE}"'
!macroend

; Tells the user, and sets the error level, when the class in KEY does not
; name FILE in $INSTDIR (which registers itself by its short path).
!macro CheckRegistered FILE KEY
    GetFullPathName /SHORT $1 "$INSTDIR\${FILE}"
    SetRegView 64
    ReadRegStr $0 HKCU "${KEY}\InprocServer32" ""
    SetRegView default
    ${If} $0 != $1
        SetErrorLevel 2
        MessageBox MB_OK|MB_ICONSTOP "${FILE} could not be registered. The Wayleap menu will not work." /SD IDOK
    ${EndIf}
!macroend

; An earlier version registered for every user of the machine (by an
; administrator) in the view VIEW: said in one line, with how an
; administrator removes it, when it names another DLL than FILE.
!macro CheckMachineRegistration VIEW FILE
    SetRegView ${VIEW}
    ReadRegStr $0 HKLM "${USER_CLASSES}\CLSID\${CLSID}\InprocServer32" ""
    SetRegView default
    GetFullPathName /SHORT $1 "$INSTDIR\${FILE}"
    ${If} $0 != ""
    ${AndIf} $0 != $1
        DetailPrint "An earlier Wayleap is registered for every user: $0"
        MessageBox MB_OK|MB_ICONINFORMATION "An earlier Wayleap is also registered for every user of this computer ($0). An administrator can remove it with: regsvr32 /u $\"$0$\"" /SD IDOK
    ${EndIf}
!macroend

; Open Explorer windows pick up what changed.
!macro NotifyShell
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i ${SHCNF_IDLIST}, p 0, p 0)'
!macroend

Function .onInit
    SetShellVarContext current
FunctionEnd

Section "Wayleap"
    SetOutPath "$INSTDIR"
    File "/oname=Wayleap.exe" "${WAYLEAP_EXE}"

    ; The DLLs are private to Wayleap. When Explorer holds an old one,
    ; Library.nsh puts the new one in place at the next restart; the
    ; registration names the path, so it is made now either way.
    !insertmacro InstallLib DLL NOTSHARED REBOOT_PROTECTED "${SKIPDOORCM_DLL}" "$INSTDIR\SkipdoorCM.dll" "$INSTDIR"
    !insertmacro UserRegistration "" SkipdoorCM.dll
    ${If} ${RunningX64}
        !insertmacro CheckRegistered SkipdoorCM.dll "${CLASS32_ON_64}"
        !insertmacro CheckMachineRegistration 32 SkipdoorCM.dll
        !define LIBRARY_X64
        !insertmacro InstallLib DLL NOTSHARED REBOOT_PROTECTED "${SKIPDOORCM64_DLL}" "$INSTDIR\SkipdoorCM64.dll" "$INSTDIR"
        !undef LIBRARY_X64
        ; The 64-bit regsvr32: with file-system redirection off, $SYSDIR is the real System32.
        ${DisableX64FSRedirection}
        !insertmacro UserRegistration "" SkipdoorCM64.dll
        ${EnableX64FSRedirection}
        !insertmacro CheckRegistered SkipdoorCM64.dll "${CLASS_OWN}"
        !insertmacro CheckMachineRegistration 64 SkipdoorCM64.dll
    ${Else}
        !insertmacro CheckRegistered SkipdoorCM.dll "${CLASS_OWN}"
        !insertmacro CheckMachineRegistration 32 SkipdoorCM.dll
    ${EndIf}
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
    SetRegView 64
    DeleteRegKey HKCU "${USER_CLASSES}\${FOLDER_HANDLER_KEY}"
    DeleteRegKey HKCU "${USER_CLASSES}\${BACKGROUND_HANDLER_KEY}"
    SetRegView default

    ; Each DLL removes its own registration; what is left (a DLL deleted by
    ; hand cannot) goes by name. Files Explorer holds go at the next restart.
    ${If} ${FileExists} "$INSTDIR\SkipdoorCM.dll"
        !insertmacro UserRegistration /u SkipdoorCM.dll
    ${EndIf}
    !insertmacro UnInstallLib DLL NOTSHARED REBOOT_PROTECTED "$INSTDIR\SkipdoorCM.dll"
    ${If} ${RunningX64}
        ${If} ${FileExists} "$INSTDIR\SkipdoorCM64.dll"
            ${DisableX64FSRedirection}
            !insertmacro UserRegistration /u SkipdoorCM64.dll
            ${EnableX64FSRedirection}
        ${EndIf}
        !define LIBRARY_X64
        !insertmacro UnInstallLib DLL NOTSHARED REBOOT_PROTECTED "$INSTDIR\SkipdoorCM64.dll"
        !undef LIBRARY_X64
    ${EndIf}
    SetRegView 64
    DeleteRegKey HKCU "${CLASS_OWN}"
    DeleteRegKey HKCU "${CLASS32_ON_64}"
    DeleteRegKey HKCU "${USER_CLASSES}\SkipdoorCM.SkipdoorCMH"
    DeleteRegKey HKCU "${USER_CLASSES}\SkipdoorCM.SkipdoorCMH.1"
    DeleteRegKey HKCU "${USER_CLASSES}\${TYPELIB_KEY}"
    SetRegView default

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
