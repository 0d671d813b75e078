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
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define CLEANUP_VALUE "Hovelle cleanup"
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

; Waits up to $R1 milliseconds for the handle $R0 (or only lets the time pass
; when $R0 is 0) while handling this thread's messages: the exiting program
; sends messages to every top-level window, this program's included, and the
; hook library is released from this process only when it handles messages.
; Leaves 0 in $R2 when the handle was signalled.
!macro WaitHandlingMessages un
Function ${un}WaitHandlingMessages
  Push $0
  Push $1
  Push $2
  StrCpy $R2 1
  ; MSG: 48 bytes on 64-bit Windows
  System::Alloc 48
  Pop $0
  System::Call 'kernel32::GetTickCount() i .r2'
  IntOp $2 $2 + $R1
  ${Do}
    ${If} $R0 P<> 0
      ; QS_ALLINPUT
      System::Call 'user32::MsgWaitForMultipleObjects(i 1, *p R0, i 0, i 100, i 0x04FF) i .r1'
      ${If} $1 = 0
        StrCpy $R2 0
        ${Break}
      ${EndIf}
    ${Else}
      System::Call 'user32::MsgWaitForMultipleObjects(i 0, p 0, i 0, i 100, i 0x04FF) i'
    ${EndIf}
    ${Do}
      ; PM_REMOVE
      System::Call 'user32::PeekMessageW(p r0, p 0, i 0, i 0, i 1) i .r1'
      ${If} $1 = 0
        ${Break}
      ${EndIf}
      System::Call 'user32::TranslateMessage(p r0) i'
      System::Call 'user32::DispatchMessageW(p r0) p'
    ${Loop}
    System::Call 'kernel32::GetTickCount() i .r1'
    IntOp $1 $1 - $2
    ${If} $1 >= 0
      ${Break}
    ${EndIf}
  ${Loop}
  System::Free $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro WaitHandlingMessages ""
!insertmacro WaitHandlingMessages "un."

; Asks every running copy of the program to exit through its menu command
; "Exit" and waits up to ten seconds for each process to end. A copy that does
; not end in time is left running; its files are then replaced or removed at
; the next restart.
!macro CloseRunningProgram un
Function ${un}CloseRunningProgram
  Push $0
  Push $1
  Push $3
  Push $R0
  Push $R1
  Push $R2
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
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .R0'
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0) i'
    StrCpy $R1 10000
    ${If} $R0 P= 0
      StrCpy $R1 500
    ${EndIf}
    Call ${un}WaitHandlingMessages
    ${If} $R0 P<> 0
      System::Call 'kernel32::CloseHandle(p R0) i'
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  Pop $R2
  Pop $R1
  Pop $R0
  Pop $3
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro CloseRunningProgram ""
!insertmacro CloseRunningProgram "un."

; Removes one installed file. Windows keeps the hook library mapped into other
; programs until each of them has handled a message after the hook was removed
; (Wine keeps it until they end), so right after the program has exited the
; file may still be in use: try again for two seconds, then move it aside (a
; mapped file can be renamed) and have it deleted at the next logon through an
; HKCU RunOnce command, which needs no administrator rights.
!macro ScheduleCleanup un
Function ${un}ScheduleCleanup
  Push $0
  Push $1
  Push $2
  StrCpy $0 '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\*.old" & rd "$INSTDIR"'
  ${GetParent} "$INSTDIR" $1
  ${GetFileName} "$1" $2
  ${If} $2 == "${PUBLISHER}"
    StrCpy $0 '$0 & rd "$1"'
  ${EndIf}
  WriteRegStr HKCU "${RUNONCE_KEY}" "${CLEANUP_VALUE}" "$0"
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro ScheduleCleanup ""
!insertmacro ScheduleCleanup "un."

!macro RemoveInstalledFile un
Function ${un}RemoveInstalledFile
  Exch $0
  Push $1
  Push $2
  Push $R0
  Push $R1
  Push $R2
  StrCpy $1 0
  ${Do}
    ClearErrors
    Delete "$INSTDIR\$0"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    ${If} $1 >= 8
      System::Call 'kernel32::GetTickCount() i .r2'
      ClearErrors
      Rename "$INSTDIR\$0" "$INSTDIR\$0.$2.old"
      ${IfNot} ${Errors}
        DetailPrint "$0 is still in use; it will be removed at the next logon"
        Call ${un}ScheduleCleanup
      ${EndIf}
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    StrCpy $R0 0
    StrCpy $R1 250
    Call ${un}WaitHandlingMessages
  ${Loop}
  Pop $R2
  Pop $R1
  Pop $R0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro RemoveInstalledFile ""
!insertmacro RemoveInstalledFile "un."

Section "-${PRODUCT}" SecProgram
  SectionIn RO
  Call CloseRunningProgram
  SetOutPath "$INSTDIR"
  ; Left over when an earlier copy was still in use.
  Delete "$INSTDIR\*.old"
  ${If} ${FileExists} "$INSTDIR\*.old"
    Call ScheduleCleanup
  ${EndIf}
  Push "${HOOK_NAME}"
  Call RemoveInstalledFile
  Push "${PROGRAM}"
  Call RemoveInstalledFile
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
  Push "${PROGRAM}"
  Call un.RemoveInstalledFile
  Push "${HOOK_NAME}"
  Call un.RemoveInstalledFile
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$INSTDIR\*.old"
  ${If} ${FileExists} "$INSTDIR\*.old"
    Call un.ScheduleCleanup
  ${EndIf}
  RMDir "$INSTDIR"
  ; The publisher's folder goes too when nothing else lives in it.
  ${GetParent} "$INSTDIR" $0
  ${GetFileName} "$0" $1
  ${If} $1 == "${PUBLISHER}"
    RMDir "$0"
  ${EndIf}
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
