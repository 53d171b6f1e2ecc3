; TarnelSetup.exe: puts the module on a seat and makes every AutoCAD 2000-2002
; found there load it at start-up. Silent: TarnelSetup.exe /S [options] /D=folder
;   /PRODUCTKEY=ACAD-1:409     only that product key instead of every one
;   /TIMEOUT= /COUNTDOWN= /ACTION= /ALLOWDISABLE= /LOGGING= /LOGDIR= /LOGNAMING=
;   /COUNTINPUT= /CANCELWAITING= /JOURNAL= /DRYRUN=
;   /LICENSESERVER= /LICENSEFEATURE= /LICENSEFREE= /LICENSERECHECK= /LICENSETOOL=
;   /PASSWORD=                 presets written into tarnel.cfg
;   /LOCK                      tarnel.cfg read-only: no seat rewrites the preset
; Exit codes: 0 installed, 2 a bad preset, 3 no AutoCAD product key found.
; Built by CMake: makensis -DBINDIR=... -DOUTFILE=... -DVERSION=... tarnel.nsi
Unicode true
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tarnel"
VIAddVersionKey /LANG=1033 "FileDescription" "Tarnel setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tarnel"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "TarnelSetup.exe"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Tarnel"
RequestExecutionLevel admin
Name "Tarnel"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tarnel"
ShowInstDetails show

!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define RELEASE_KEY "Software\Autodesk\AutoCAD\R15.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnel"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var ProductKey
Var Presets
Var Lock
Var Found

; Appends KEY=VALUE to the presets when the option is on the command line.
!macro Preset OPTION KEY
    ClearErrors
    ${GetOptions} $R0 "/${OPTION}=" $R1
    ${IfNot} ${Errors}
        StrCpy $Presets '$Presets "${KEY}=$R1"'
    ${EndIf}
!macroend

Function fail
    ; $R9: the message, $R8: the exit code
    IfSilent +2
    MessageBox MB_ICONSTOP "$R9"
    SetErrorLevel $R8
    Quit
FunctionEnd

Function .onInit
    ${GetParameters} $R0
    StrCpy $Presets ""
    !insertmacro Preset "TIMEOUT" "TimeInactivity"
    !insertmacro Preset "COUNTDOWN" "TimeCountdown"
    !insertmacro Preset "ACTION" "Action"
    !insertmacro Preset "ALLOWDISABLE" "AllowDisable"
    !insertmacro Preset "LOGGING" "EnableLogging"
    !insertmacro Preset "LOGDIR" "Logfilepath"
    !insertmacro Preset "LOGNAMING" "LogfilenameType"
    !insertmacro Preset "COUNTINPUT" "CountInput"
    !insertmacro Preset "CANCELWAITING" "CancelWaiting"
    !insertmacro Preset "JOURNAL" "Journalpath"
    !insertmacro Preset "DRYRUN" "DryRun"
    !insertmacro Preset "LICENSESERVER" "LicenseServer"
    !insertmacro Preset "LICENSEFEATURE" "LicenseFeature"
    !insertmacro Preset "LICENSEFREE" "LicenseFree"
    !insertmacro Preset "LICENSERECHECK" "LicenseRecheck"
    !insertmacro Preset "LICENSETOOL" "LicenseTool"
    ClearErrors
    ${GetOptions} $R0 "/PASSWORD=" $R1
    ${IfNot} ${Errors}
        StrCpy $Presets '$Presets "Protection=1" "Password=$R1"'
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/LOCK" $R1
    StrCpy $Lock 0
    ${IfNot} ${Errors}
        StrCpy $Lock 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/PRODUCTKEY=" $ProductKey

    ; Every preset is checked before anything is changed.
    ${If} $Presets != ""
        InitPluginsDir
        SetOutPath "$PLUGINSDIR"
        File "${BINDIR}\tarnelcfg.exe"
        nsExec::ExecToStack '"$PLUGINSDIR\tarnelcfg.exe" check $Presets'
        Pop $R2
        Pop $R3
        ${If} $R2 != 0
            StrCpy $R9 "Tarnel is not installed: $R3"
            StrCpy $R8 2
            Call fail
        ${EndIf}
    ${EndIf}

    ; The AutoCAD installations to register with.
    StrCpy $Found 0
    ${If} $ProductKey != ""
        ClearErrors
        EnumRegKey $R1 HKLM "${RELEASE_KEY}\$ProductKey" 0
        ${IfNot} ${Errors}
            StrCpy $Found 1
        ${EndIf}
    ${Else}
        EnumRegKey $R1 HKLM "${RELEASE_KEY}" 0
        ${If} $R1 != ""
            StrCpy $Found 1
        ${EndIf}
    ${EndIf}
    ${If} $Found == 0
        StrCpy $R9 "Tarnel is not installed: no AutoCAD 2000-2002 product key $ProductKey was found below HKEY_LOCAL_MACHINE\${RELEASE_KEY}."
        StrCpy $R8 3
        Call fail
    ${EndIf}
FunctionEnd

Section "Tarnel"
    SetOutPath "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\tarnel.cfg"
        SetFileAttributes "$INSTDIR\tarnel.cfg" NORMAL
    ${EndIf}
    File "${BINDIR}\tarnel15.arx"
    File "${BINDIR}\TarnelCore.dll"
    File "${BINDIR}\TarnelRes.dll"
    File "${BINDIR}\tarnel.chm"
    File "${BINDIR}\tarnelcfg.exe"
    File "${BINDIR}\tarnelreport.exe"
    ; The Group Policy template, for the domain's central store.
    SetOutPath "$INSTDIR\policy\en-US"
    File "${BINDIR}\policy\en-US\Tarnel.adml"
    SetOutPath "$INSTDIR\policy"
    File "${BINDIR}\policy\Tarnel.admx"
    SetOutPath "$INSTDIR"
    ${If} $Presets != ""
        nsExec::ExecToLog '"$INSTDIR\tarnelcfg.exe" set "$INSTDIR\tarnel.cfg" $Presets'
        Pop $R2
    ${EndIf}
    ${If} $Lock == 1
    ${AndIf} ${FileExists} "$INSTDIR\tarnel.cfg"
        SetFileAttributes "$INSTDIR\tarnel.cfg" READONLY
    ${EndIf}

    ; The module's key and an entry under every product key (or the one asked).
    nsExec::ExecToLog '"$INSTDIR\tarnelcfg.exe" register "$INSTDIR" $ProductKey'
    Pop $R2

    WriteUninstaller "$INSTDIR\uninst.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarnel ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarnel"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ; Under every product key, whichever the installer used.
    nsExec::ExecToLog '"$INSTDIR\tarnelcfg.exe" unregister'
    Pop $R2
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    SetFileAttributes "$INSTDIR\tarnel.cfg" NORMAL
    Delete "$INSTDIR\tarnel15.arx"
    Delete "$INSTDIR\TarnelCore.dll"
    Delete "$INSTDIR\TarnelRes.dll"
    Delete "$INSTDIR\tarnel.chm"
    Delete "$INSTDIR\tarnelcfg.exe"
    Delete "$INSTDIR\tarnelreport.exe"
    Delete "$INSTDIR\policy\en-US\Tarnel.adml"
    RMDir "$INSTDIR\policy\en-US"
    Delete "$INSTDIR\policy\Tarnel.admx"
    RMDir "$INSTDIR\policy"
    Delete "$INSTDIR\tarnel.cfg"
    Delete "$INSTDIR\uninst.exe"
    RMDir "$INSTDIR" ; users' logs kept there keep the folder
SectionEnd
