; Per-user installer for Quillmar: no administrator rights, a Start-menu entry, an offer to start the
; program; the uninstaller removes the program, its Run value and, after asking, its settings.
; makensis -DARCH=x86_64 -DVERSION=1.0.1
;          -DSTAGE=<folder with Quillmar.exe, quillmar-service.exe, skins\, README.txt, LICENSE.txt>
;          -DSTAGED_FILES=<.nsh naming the staged files and folders> -DOUTFILE=<setup.exe>
Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "WinMessages.nsh"
!include "LogicLib.nsh"

Name "Quillmar"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillmar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmar"
; The settings dialog's "start with Windows" value, and the key the program keeps its settings under.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "QUILLMAR"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\QUILLMAR"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quillmar"
VIAddVersionKey /LANG=1033 "FileDescription" "Quillmar ${VERSION} (${ARCH}) setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Quillmar developers"

!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmar.exe"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy keeps its program file open. WM_CLOSE to its hidden window ends it as the tray menu's
; Exit does; wait (up to 5 s) until the file can be replaced or removed.
!macro EndRunningCopy
    FindWindow $0 "QuillmarMain" "QUILLMAR"
    StrCmp $0 0 +2
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=3000
    StrCpy $1 0
    ${Do}
        FindWindow $0 "QuillmarMain" "QUILLMAR"
        ${If} $0 = 0
            ClearErrors
            FileOpen $2 "$INSTDIR\Quillmar.exe" a
            ${IfNot} ${Errors}
                FileClose $2
                ${Break}
            ${EndIf}
            ${IfNot} ${FileExists} "$INSTDIR\Quillmar.exe"
                ${Break}
            ${EndIf}
        ${EndIf}
        IntOp $1 $1 + 1
        ${If} $1 >= 50
            ${Break}
        ${EndIf}
        Sleep 100
    ${Loop}
!macroend

Section "Quillmar"
    SetShellVarContext current
    !insertmacro EndRunningCopy
    SetOutPath "$INSTDIR"
    File "${STAGE}\Quillmar.exe"
    File "${STAGE}\quillmar-service.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE.txt"
    SetOutPath "$INSTDIR\skins"
    File /r "${STAGE}\skins\*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Quillmar"
    CreateShortcut "$SMPROGRAMS\Quillmar\Quillmar.lnk" "$INSTDIR\Quillmar.exe"
    CreateShortcut "$SMPROGRAMS\Quillmar\Uninstall Quillmar.lnk" "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillmar"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Quillmar developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmar.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    !insertmacro EndRunningCopy
    ; Only what the installer put there: skins the user added to the skins folder stay, and so does the
    ; folder that holds them.
    !include "${STAGED_FILES}"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ; A silent uninstall keeps the settings, as the question's default answer does.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your Quillmar settings?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
keep:
    ; A program that is still running keeps its file. Saying the uninstall is done would leave it behind
    ; with no way to remove it, so the uninstaller and its entry stay for a second run.
    ${If} ${FileExists} "$INSTDIR\quillmar-service.exe"
    ${OrIf} ${FileExists} "$INSTDIR\Quillmar.exe"
        MessageBox MB_OK|MB_ICONEXCLAMATION "Some of Quillmar's files are in use and were not removed from $INSTDIR. Stop quillmar-service.exe (or Quillmar), then uninstall again." /SD IDOK
        SetErrorLevel 2
        Abort "Some files are in use: uninstall again once they are closed."
    ${EndIf}
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR\skins"
    RMDir "$INSTDIR"
    RMDir /r "$SMPROGRAMS\Quillmar"
    ; Last, so that its absence says the uninstall has finished.
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
