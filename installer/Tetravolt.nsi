; Tetravolt setup: the program folder, the boot launch, the pending-reboot mark, the language
; choice, the CPU driver refresh through the launcher library, and the uninstaller.
; The build (installer/CMakeLists.txt) defines ARCH (x86_64 or i686), VERSION, VERSION4, PRODUCT,
; PUBLISHER, IMAGE (the program folder as installed), LISTS (the generated file lists), OUTFILE
; and, for x86_64, LAUNCHER32 (a 32-bit DrvLauncher.dll for this 32-bit setup program to call).
;
; Command line: /S silent, /D=folder (last, unquoted), /LANG=English|Deutsch (the program's and the
; setup's language; without it the setup asks, or a silent setup takes the system's language).

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define RUN_VALUE "${PRODUCT}"
!define RUNONCE_VALUE "Tetravolt Install"
; The program's own keys, removed with it; the suite's other keys under KALDO are left alone.
!define PROGRAM_KEY "Software\KALDO\Opti Gear3"
!define ADVANCE_KEY "Software\KALDO\Opti Gear3\Advance"
!define VENDOR_KEY "Software\KALDO"
!define DRIVER_FOLDER "DrvSetup"
!define LOG_FILE "Install.log"
!define UNINSTALLER "uninstall.exe"
; The running program's main window and its close command (WM_USER with the peer marker 85).
!define MAIN_CLASS "TMainForm"
!define MAIN_CAPTION "Hexavolt"
!define CLOSE_MESSAGE 1024
!define CLOSE_MARKER 85
!define CLOSE_WAIT_MS 10000

!if "${ARCH}" == "x86_64"
    !define BITS 64
    !define OTHER_BITS 32
!else
    !define BITS 32
    !define OTHER_BITS 64
!endif

Name "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} (${BITS}-bit)"
UninstallCaption "${PRODUCT} ${VERSION} (${BITS}-bit)"
BrandingText "${PUBLISHER} ${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Chosen in .onInit: the earlier installation's folder, else the Program Files of this bitness.
InstallDir ""
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${VERSION4}
VIFileVersion ${VERSION4}
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${BITS}-bit setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
; The details stay in view: they tell what the CPU driver check did.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "${__FILEDIR__}/Strings.nsh"

Var Log

; A line of the install log, also shown in the details list.
!macro Log text
    DetailPrint `${text}`
    FileWrite $Log `${text}$\r$\n`
!macroend

; Asks a running Tetravolt to close and waits for its process, at most CLOSE_WAIT_MS. When it keeps
; running, an interactive (un)installation offers to try again; otherwise it stops with exit code 2
; before anything is changed.
!macro CloseTetravoltFunction un
Function ${un}CloseTetravolt
    Push $0
    Push $1
    Push $2
    Push $3
retry:
    FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
    ${If} $0 == 0
        Goto done
    ${EndIf}
    DetailPrint "$(Closing)"
    StrCpy $1 0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1) i"
    ; SYNCHRONIZE: enough to wait for the end.
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
    System::Call "user32::PostMessageW(p r0, i ${CLOSE_MESSAGE}, p ${CLOSE_MARKER}, p 0) i"
    ${If} $2 P<> 0
        System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT_MS}) i .r3"
        System::Call "kernel32::CloseHandle(p r2)"
        ${If} $3 == 0
            Goto retry ; ended; another instance (another session) would be closed too
        ${EndIf}
    ${Else}
        ; The process cannot be waited for: its window going away is the sign.
        StrCpy $3 0
        ${Do}
            Sleep 100
            IntOp $3 $3 + 100
            FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
            ${If} $0 == 0
                Goto done
            ${EndIf}
        ${LoopUntil} $3 >= ${CLOSE_WAIT_MS}
    ${EndIf}
    DetailPrint "$(StillRunning)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Abort
done:
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro CloseTetravoltFunction ""
!insertmacro CloseTetravoltFunction "un."

; The program reads its language from KdMultiLang.ini under the system's default language
; identifier (four upper-case hexadecimal digits), so the choice is written there.
Function WriteLanguageChoice
    ${If} $LANGUAGE == ${LANG_GERMAN}
        StrCpy $1 "Deutsch"
    ${Else}
        StrCpy $1 "English"
    ${EndIf}
    System::Call "kernel32::GetSystemDefaultLangID() i .r0"
    IntOp $0 $0 & 0xFFFF
    IntFmt $2 "%04X" $0
    WriteINIStr "$INSTDIR\LangFiles\KdMultiLang.ini" "Languages" "$2" "$1"
    FlushINI "$INSTDIR\LangFiles\KdMultiLang.ini"
    !insertmacro Log "Language: $1 (system language $2)"
FunctionEnd

; KdCheckOS_DrvSetup of the launcher library with the driver setup folder; the result goes to the
; log. The call waits for the driver setup, however long it takes.
Function RunDriverSetup
    DetailPrint "$(DriverCheck)"
    StrCpy $2 "$INSTDIR\${DRIVER_FOLDER}"
!ifdef LAUNCHER32
    InitPluginsDir
    File "/oname=$PLUGINSDIR\DrvLauncher.dll" "${LAUNCHER32}"
    StrCpy $1 "$PLUGINSDIR\DrvLauncher.dll"
!else
    StrCpy $1 "$INSTDIR\DrvLauncher.dll"
!endif
    ; Loaded by address rather than by name in the call, which would not survive "(x86)" in a path.
    System::Call "kernel32::LoadLibraryW(w r1) p .r3 ?e"
    Pop $4
    ${If} $3 P= 0
        !insertmacro Log "KdCheckOS_DrvSetup: $1 could not be loaded (error $4)"
        Return
    ${EndIf}
    System::Call "kernel32::GetProcAddress(p r3, m 'KdCheckOS_DrvSetup') p .r4"
    ${If} $4 P= 0
        System::Call "kernel32::FreeLibrary(p r3)"
        !insertmacro Log "KdCheckOS_DrvSetup: $1 has no such export"
        Return
    ${EndIf}
    System::Call "::$4(m r2) i .r0"
    System::Call "kernel32::FreeLibrary(p r3)"
    ${Select} $0
    ${Case} -1
        StrCpy $5 "Intel processor, nothing to do"
    ${Case} 0
        StrCpy $5 "not Windows XP, nothing to do"
    ${Case} 1
        StrCpy $5 "done (the driver setup ran, or Windows 2000)"
    ${Case} -5
        StrCpy $5 "the driver setup program could not be started"
    ${CaseElse}
        StrCpy $5 "unexpected result"
    ${EndSelect}
    !insertmacro Log 'KdCheckOS_DrvSetup("$2") returned $0: $5'
FunctionEnd

Section "$(SectionProgram)" SectionProgram
    SectionIn RO
    Call CloseTetravolt
    SetOutPath "$INSTDIR"
    FileOpen $Log "$INSTDIR\${LOG_FILE}" w
    ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
    !insertmacro Log "${PRODUCT} ${VERSION} (${ARCH}) set up in $INSTDIR on $2-$1-$0 $4:$5:$6"

    !include "${LISTS}/Install.nsh"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    Call WriteLanguageChoice

    ; The boot launch; the program itself honours its "RunAtSystemStartup" switch.
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\tetravolt.exe" -b'
    ; Tells the program a reboot is pending until Windows runs (and removes) this value at the
    ; next logon; the command itself does nothing.
    WriteRegStr HKLM "${RUNONCE_KEY}" "${RUNONCE_VALUE}" '"$SYSDIR\rundll32.exe"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
!if /FileExists "${IMAGE}/Resource/1.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Resource\1.ico"
!else
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tetravolt.exe,0"
!endif
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Installer Language" "$LANGUAGE"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    Call RunDriverSetup
SectionEnd

Section "$(SectionAutoRun)" SectionAutoRun
SectionEnd

Section "-Finish"
    ; Stored inverted, as the program's tray menu stores it: 1 switches the boot launch off.
    ${If} ${SectionIsSelected} ${SectionAutoRun}
        WriteRegDWORD HKLM "${ADVANCE_KEY}" "RunAtSystemStartup" 0
        !insertmacro Log "Start with Windows: on"
    ${Else}
        WriteRegDWORD HKLM "${ADVANCE_KEY}" "RunAtSystemStartup" 1
        !insertmacro Log "Start with Windows: off"
    ${EndIf}
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    !insertmacro Log "Installed: $1 files, $0 KB; the program runs after the next restart"
    FileClose $Log
    SetRebootFlag true
SectionEnd

Function .onInit
!if ${BITS} == 64
    SetRegView 64
!endif
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/LANG=" $R1
    ${If} ${Errors}
        !insertmacro MUI_LANGDLL_DISPLAY
    ${ElseIf} $R1 == "Deutsch"
    ${OrIf} $R1 == "German"
        StrCpy $LANGUAGE ${LANG_GERMAN}
    ${ElseIf} $R1 == "English"
        StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${Else}
        MessageBox MB_OK|MB_ICONSTOP "/LANG=$R1: English or Deutsch" /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}

!if ${BITS} == 64
    ${IfNot} ${RunningX64}
        MessageBox MB_OK|MB_ICONSTOP "$(Needs64)" /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
!endif
    ; Two installations would both start at boot, the second one showing the first's window.
    ${If} ${RunningX64}
        SetRegView ${OTHER_BITS}
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
        SetRegView ${BITS}
        ${If} $0 != ""
            MessageBox MB_OK|MB_ICONSTOP "$(OtherInstalled)" /SD IDOK
            SetErrorLevel 2
            Abort
        ${EndIf}
    ${EndIf}

    ${If} $INSTDIR == ""
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != ""
            StrCpy $INSTDIR $0
        ${Else}
!if ${BITS} == 64
            StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
!else
            StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
!endif
        ${EndIf}
    ${EndIf}

    ; A boot launch the user switched off stays off.
    ClearErrors
    ReadRegDWORD $0 HKLM "${ADVANCE_KEY}" "RunAtSystemStartup"
    ${IfNot} ${Errors}
    ${AndIf} $0 == 1
        !insertmacro UnselectSection ${SectionAutoRun}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseTetravolt
    ; The AMD driver package, when one was placed beside the setup programs.
    Delete "$INSTDIR\${DRIVER_FOLDER}\CNQ.exe"
    Delete "$INSTDIR\${DRIVER_FOLDER}\CpuInfo.ini"
    !include "${LISTS}/Uninstall.nsh"
    Delete "$INSTDIR\${LOG_FILE}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"

    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegValue HKLM "${RUNONCE_KEY}" "${RUNONCE_VALUE}"
    DeleteRegKey HKLM "${PROGRAM_KEY}"
    DeleteRegKey /ifempty HKLM "${VENDOR_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
!if ${BITS} == 64
    SetRegView 64
!endif
    !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
