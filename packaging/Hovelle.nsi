; Setup program of Hovelle for 64-bit Windows.
;
; Built by makensis with these definitions (-DNAME=value before the script):
;   VERSION      dotted version, three or four numbers (1.5.0)
;   BIN_DIR      folder holding the built program and the hook library
;   PROGRAM      file name of the tray program in BIN_DIR (Hovelle.exe)
;   OUTFILE      path of the setup program to write
;   ICON         optional: the program icon, also used by setup
;
; Installs per user into %LOCALAPPDATA%\Programs\Tenvale\Hovelle: the program
; keeps its settings under HKCU, its autostart entry is an HKCU Run value and
; its hook reaches only the programs of the user who starts it, so nothing
; needs administrator rights.
;
; Command line (besides NSIS's own /S and /D=dir):
;   setup:      /AUTOSTART=0       do not start Hovelle with Windows
;   uninstall:  /REMOVESETTINGS    also delete HKCU\Software\Tenvale\Hovelle

!ifndef VERSION | BIN_DIR | OUTFILE
  !error "define VERSION, BIN_DIR and OUTFILE"
!endif
!ifndef PROGRAM
  !define PROGRAM "Hovelle.exe"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include Sections.nsh

!define PRODUCT "Hovelle"
!define PUBLISHER "Tenvale"
!define DESCRIPTION "Tenvale Window Manager"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Hovelle"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Tenvale\Hovelle"
!define HOOK_NAME "Lorvek.dll"
; The tray program's main window and its menu command "Exit".
!define MAIN_WINDOW_CLASS "HovelleWnd"
!define EXIT_COMMAND 1003

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tenvale\Hovelle"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${DESCRIPTION} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

!searchparse /noerrors "${VERSION}.0.0.0" "" _V1 "." _V2 "." _V3 "." _V4 "."
VIProductVersion "${_V1}.${_V2}.${_V3}.${_V4}"
VIFileVersion "${_V1}.${_V2}.${_V3}.${_V4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${VERSION}, the ${DESCRIPTION}.$\r$\n$\r$\n${PRODUCT} sits in the notification area and gives every window a pin button, four extra system-menu commands (Always on top, Rollup, Minimize To Tray, Transparent) and mouse shortcuts on its title bar and borders.$\r$\n$\r$\nIf ${PRODUCT} is running, Setup closes it first.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Asks every running copy of the program to exit through its menu command
; "Exit" and waits up to ten seconds for each process to end. A copy that does
; not end in time is left running; its files are then replaced or removed at
; the next restart.
!macro CloseRunningProgram un
Function ${un}CloseRunningProgram
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" ""
    ${If} $0 = 0
    ${OrIf} $3 >= 8
      ${Break}
    ${EndIf}
    DetailPrint "Closing the running ${PRODUCT}"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
    ${If} $2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i'
      System::Call 'kernel32::CloseHandle(p r2) i'
    ${Else}
      Sleep 500
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CloseRunningProgram ""
!insertmacro CloseRunningProgram "un."

; Windows keeps a hook library mapped into other programs until they next
; handle a message, so the old copy may still be in use. A mapped file can be
; renamed, though: move it aside and delete it now or at the next restart.
!macro MoveAsideIfInUse un
Function ${un}MoveAsideIfInUse
  Exch $0
  ClearErrors
  Delete "$INSTDIR\$0"
  ${If} ${Errors}
    Delete "$INSTDIR\$0.old"
    ClearErrors
    Rename "$INSTDIR\$0" "$INSTDIR\$0.old"
    Delete /REBOOTOK "$INSTDIR\$0.old"
  ${EndIf}
  Pop $0
FunctionEnd
!macroend
!insertmacro MoveAsideIfInUse ""
!insertmacro MoveAsideIfInUse "un."

Section "-${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  Push "${HOOK_NAME}"
  Call MoveAsideIfInUse
  Push "${PROGRAM}"
  Call MoveAsideIfInUse
  File "${BIN_DIR}/${PROGRAM}"
  File "${BIN_DIR}/${HOOK_NAME}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PROGRAM}" "" \
                 "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "${DESCRIPTION}"

  ; The optional section below writes the Run value again when chosen.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Comments" "${DESCRIPTION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${PROGRAM}$\",0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Start with Windows" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" "$\"$INSTDIR\${PROGRAM}$\""
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == "0"
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" SecUnProgram
  SectionIn RO
  Call un.CloseRunningProgram
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\${PROGRAM}"
  Push "${HOOK_NAME}"
  Call un.MoveAsideIfInUse
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  ; The parent folders go too when nothing else lives in them.
  RMDir "$INSTDIR\.."
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my settings" SecUnSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tenvale"
SectionEnd

Function un.onInit
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecUnSettings}
  ${EndIf}
FunctionEnd
