; The Windows installer, one per arch, built by the windows-installer target:
;   makensis -DVERSION=1.0 -DARCH=win64|win32 -DFOLDER=<the Windows folder>
;            -DFILES=<its file list, from InstallerFiles.cmake>
;            -DOUTFILE=<installer> Velmora.nsi
;
; The one file it treats with care is KestCom.dll beside the program: the
; simulated terminal goes there only when no other KestCom.dll is, and the
; installer records the size and time of the one it wrote, so that a
; vendor's library copied in (before or after) is never overwritten by an
; upgrade nor removed by the uninstaller.

Unicode true
!if ${ARCH} == win64
    Target amd64-unicode
    !define BITS " (64-bit)"
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    !define BITS ""
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif

SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define PUBLISHER "Velmora developers"
!define START_MENU "$SMPROGRAMS\Velmora"
; Where the record of the simulated terminal's KestCom.dll is kept.
!define SIMULATED_VALUE "SimulatedTerminal"

Name "Velmora ${VERSION}${BITS}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Velmora"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velmora ${VERSION}"

!define MUI_ICON "${FOLDER}/Velmora.ico"
!define MUI_UNICON "${FOLDER}/Velmora.ico"
!define MUI_ABORTWARNING

; The folder first, so that the components page knows which KestCom.dll
; is already there.
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE ChooseSimulatedTerminal
!define MUI_COMPONENTSPAGE_TEXT_TOP "For real terminals, the terminal maker's KestCom.dll goes in the installation folder, beside velmora.exe. The simulated terminal goes there only when no KestCom.dll is; the installer never overwrites or removes one it did not put there."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Manual.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; What is recorded of a KestCom.dll: its size and last-write time, as
; "size:high:low". Pushes the record of <file>, or "" when there is none.
!macro KestComRecord un
Function ${un}KestComRecord
    Exch $0
    Push $1
    Push $2
    Push $3
    ClearErrors
    FileOpen $1 $0 r
    ${If} ${Errors}
        StrCpy $0 ""
    ${Else}
        FileSeek $1 0 END $2
        FileClose $1
        GetFileTime $0 $1 $3
        StrCpy $0 "$2:$1:$3"
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Pushes 1 when $INSTDIR\KestCom.dll is the one this installer wrote.
Function ${un}IsSimulatedTerminal
    Push $0
    Push $1
    Push "$INSTDIR\KestCom.dll"
    Call ${un}KestComRecord
    Pop $0
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "${SIMULATED_VALUE}"
    ${If} $0 != ""
    ${AndIf} $0 == $1
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro KestComRecord ""
!insertmacro KestComRecord "un."

; An upgrade first lets the last version's uninstaller take away its own
; files (in place, waiting for it), so that none this version lacks lingers
; on; it keeps a vendor's KestCom.dll and the user's files as always.
Section "-Previous"
    ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
        ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
        Delete "$INSTDIR\Uninstall.exe"
    ${EndIf}
SectionEnd

Section "Velmora" SecProgram
    SectionIn RO
    !insertmacro VelmoraProgramFiles
SectionEnd

Section "Simulated terminal" SecSimulated
    ${If} ${FileExists} "$INSTDIR\KestCom.dll"
        Call IsSimulatedTerminal
        Pop $0
        ${If} $0 != 1
            DetailPrint "Kept $INSTDIR\KestCom.dll: it is not the simulated terminal."
            Return
        ${EndIf}
    ${EndIf}
    SetOutPath "$INSTDIR"
    File "${FOLDER}/KestCom.dll"
    Push "$INSTDIR\KestCom.dll"
    Call KestComRecord
    Pop $0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "${SIMULATED_VALUE}" $0
SectionEnd

Section "Call trace" SecTrace
    !insertmacro VelmoraTraceFiles
SectionEnd

Section "-Register"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    CreateDirectory "${START_MENU}"
    CreateShortcut "${START_MENU}\Velmora${BITS}.lnk" "$INSTDIR\velmora.exe" "" "$INSTDIR\Velmora.ico"
    CreateShortcut "${START_MENU}\Velmora manual${BITS}.lnk" "$INSTDIR\Manual.txt"

    StrCpy $1 0
    ${ForEach} $0 ${SecProgram} ${SecTrace} + 1
        ${If} ${SectionIsSelected} $0
            SectionGetSize $0 $2
            IntOp $1 $1 + $2
        ${EndIf}
    ${Next}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmora ${VERSION}${BITS}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Var SimulatedDescription
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, velmora-capture and the manual."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecSimulated} $SimulatedDescription
    !insertmacro MUI_DESCRIPTION_TEXT ${SecTrace} "The call-trace library in the trace folder, to put in front of the maker's KestCom.dll (see trace\README.txt)."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The simulated terminal by default only where no other KestCom.dll is.
Function ChooseSimulatedTerminal
    ${If} ${FileExists} "$INSTDIR\KestCom.dll"
        Call IsSimulatedTerminal
        Pop $0
    ${Else}
        StrCpy $0 1
    ${EndIf}
    ${If} $0 == 1
        !insertmacro ClearSectionFlag ${SecSimulated} ${SF_RO}
        !insertmacro SelectSection ${SecSimulated}
        StrCpy $SimulatedDescription "A simulated terminal as KestCom.dll beside the program, for training without one."
    ${Else}
        !insertmacro UnselectSection ${SecSimulated}
        !insertmacro SetSectionFlag ${SecSimulated} ${SF_RO}
        StrCpy $SimulatedDescription "Left out: the installation folder holds a KestCom.dll already (the terminal maker's?), which stays as it is."
    ${EndIf}
FunctionEnd

Function .onInit
    !if ${ARCH} == win64
        SetRegView 64
    !endif
    SetShellVarContext all
    Call ChooseSimulatedTerminal
FunctionEnd

Function un.onInit
    !if ${ARCH} == win64
        SetRegView 64
    !endif
FunctionEnd

Section "Uninstall"
    !insertmacro VelmoraRemoveFiles
    Call un.IsSimulatedTerminal
    Pop $0
    ${If} $0 == 1
        Delete "$INSTDIR\KestCom.dll"
    ${EndIf}
    Delete "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    Delete "${START_MENU}\Velmora${BITS}.lnk"
    Delete "${START_MENU}\Velmora manual${BITS}.lnk"
    RMDir "${START_MENU}"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Stays when the user's files (or a vendor's library) are in it.
    RMDir "$INSTDIR"
SectionEnd
