; Per-user installer for Quillmar: no administrator rights, a Start-menu entry, an offer to start the
; program; the uninstaller removes the program, its Run value and, after asking, its settings.
; makensis -DARCH=x86_64 -DSTAGE=<folder with Quillmar.exe, skins\, README.txt> -DOUTFILE=<setup.exe>
Unicode true
RequestExecutionLevel user
!include "MUI2.nsh"

Name "Quillmar"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillmar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\QUILLMAR"

!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmar.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Quillmar"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\Quillmar.exe"
    File "${STAGE}\README.txt"
    File /nonfatal "${STAGE}\LICENCE.txt"
    SetOutPath "$INSTDIR\skins"
    File /r "${STAGE}\skins\*"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Quillmar"
    CreateShortcut "$SMPROGRAMS\Quillmar\Quillmar.lnk" "$INSTDIR\Quillmar.exe"
    CreateShortcut "$SMPROGRAMS\Quillmar\Uninstall Quillmar.lnk" "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillmar"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; A running copy would keep its file; the program has one hidden window per session.
    FindWindow $0 "QuillmarMain" "QUILLMAR"
    StrCmp $0 0 +2
    SendMessage $0 ${WM_CLOSE} 0 0
    Delete "$INSTDIR\Quillmar.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENCE.txt"
    RMDir /r "$INSTDIR\skins"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    RMDir /r "$SMPROGRAMS\Quillmar"
    DeleteRegValue HKCU "${RUN_KEY}" "QUILLMAR"  ; where the settings dialog puts it
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Silent uninstalls keep the settings, as the question's default answer does.
    MessageBox MB_YESNO|MB_DEFBUTTON2 "Also remove your Quillmar settings?" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
keep:
SectionEnd
