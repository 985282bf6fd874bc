; Pellon's setup program. The build passes the version, the folders the files come
; from and the output file:
;   makensis -DVERSION=1.0.0 -DBIN_DIR=... -DRESOURCE_DIR=... -DLANG_DIR=... -DDRIVER_DIR=...
;            -DICON=... -DOUTFILE=... Pellon.nsi
; Command line of the setup program: /S (silent), /D=<folder> (last, unquoted), and
; /SIMBOARD to choose the simulated board in a silent install.
; With -DX64 it is the 64-bit build's setup program: the same install, of a 64-bit
; pellon.exe into the 64-bit program folder, for hosts that run no 32-bit code.
!ifdef X64
Target amd64-unicode
!define PROGRAM_FILES "$PROGRAMFILES64"
; RunningX64 is always true here: the ${Else} branches it leaves unused are expected.
!pragma warning disable 6012
!else
Unicode true
!define PROGRAM_FILES "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin
; A file that cannot be written fails the setup instead of being skipped in silence.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define PRODUCT "Pellon"
!define PUBLISHER "Norvane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellon"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Norvane\Pellon"
!define SERVICE "NRVACPI"
!define SERVICE_KEY "System\CurrentControlSet\Services\NRVACPI"
; The running program ends on message 1024 with 85 in the low byte of wParam.
!define WM_PELLON_CLOSE 1024
!define PELLON_TAG 85
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Norvane\Pellon"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\pellon.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Pellon"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var StillRunning
Var Sc

; The service tool of the system's own bitness: a kernel service belongs to the system,
; not to this 32-bit setup program's view of it.
!macro DEFINE_FIND_SC un
Function ${un}FindSc
  ${If} ${RunningX64}
  !ifndef X64
    StrCpy $Sc "$WINDIR\sysnative\sc.exe"
  !else
    StrCpy $Sc "$SYSDIR\sc.exe"
  !endif
  ${Else}
    StrCpy $Sc "$SYSDIR\sc.exe"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_FIND_SC ""
!insertmacro DEFINE_FIND_SC "un."

; Asks a running Pellon to end and waits for its process, so that its files can be
; replaced or removed. Sets StillRunning to 1 when it is still there after the wait.
!macro DEFINE_CLOSE_PELLON un
Function ${un}ClosePellon
  StrCpy $StillRunning 0
  FindWindow $0 "TMainForm" "Pellon"
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  DetailPrint "Closing the running Pellon"
  ; A hung program must not hang the setup: the send gives up after 5 s.
  SendMessage $0 ${WM_PELLON_CLOSE} ${PELLON_TAG} 0 /TIMEOUT=5000
  ${If} $2 <> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $3 <> 0
      StrCpy $StillRunning 1
    ${EndIf}
  ${Else}
    ; Without a handle on the process, its window going away is the sign.
    StrCpy $3 0
    ${Do}
      FindWindow $0 "TMainForm" "Pellon"
      ${IfThen} $0 = 0 ${|} ${Break} ${|}
      ${If} $3 >= 100
        StrCpy $StillRunning 1
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $3 $3 + 1
    ${Loop}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PELLON ""
!insertmacro DEFINE_CLOSE_PELLON "un."

!macro CLOSE_PELLON_OR_ABORT un
  ${Do}
    Call ${un}ClosePellon
    ${IfThen} $StillRunning = 0 ${|} ${Break} ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Pellon is still running and could not be closed.$\nClose it from its tray menu, then choose Retry." /SD IDCANCEL IDRETRY`
      Abort "Pellon is still running."
    ${EndIf}
  ${Loop}
!macroend

Section "Pellon" SecMain
  SectionIn RO
  !insertmacro CLOSE_PELLON_OR_ABORT ""

  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/pellon.exe"
  File "${BIN_DIR}/imgcodec.dll"
  ; Pictures and texts of an older version must not linger beside the new ones.
  RMDir /r "$INSTDIR\resource"
  RMDir /r "$INSTDIR\LangFiles"
  SetOutPath "$INSTDIR\resource"
  File /r "${RESOURCE_DIR}/*"
  SetOutPath "$INSTDIR\LangFiles"
  File /r "${LANG_DIR}/*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Pellon.lnk" "$INSTDIR\pellon.exe" "" "$INSTDIR\pellon.exe" 0
  SetShellVarContext current

  ; The system start-up entry: started hidden; the program itself ends at once when the
  ; user has switched start-up off in its tray menu.
  WriteRegStr HKCU "${RUN_KEY}" "Pellon" '"$INSTDIR\pellon.exe" -b'

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\pellon.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; Our stand-in for the board maker's ACPI library and driver, for trying Pellon on a
; machine without such a board. A board's own driver is never replaced.
Section /o "Simulated board" SecBoard
  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "SimulatedBoard"
  ClearErrors
  ReadRegDWORD $1 HKLM "${SERVICE_KEY}" "Type"
  ${IfNot} ${Errors}
  ${AndIf} $0 <> 1
    DetailPrint "The board's own ACPI driver is installed: the simulated board is left out."
    Return
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/NRACPI.DLL"
  File "${BIN_DIR}/boardctl.exe"

  ; An older copy of the simulated driver is stopped before its file is replaced.
  Call FindSc
  nsExec::Exec '"$Sc" stop ${SERVICE}'
  Pop $0
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetOutPath "$WINDIR\System32\drivers"
    File "${DRIVER_DIR}/x64/nrvacpi.sys"
    ${EnableX64FSRedirection}
  ${Else}
    SetOutPath "$WINDIR\System32\drivers"
    File "${DRIVER_DIR}/x86/nrvacpi.sys"
  ${EndIf}
  SetOutPath "$INSTDIR"
  nsExec::Exec '"$Sc" create ${SERVICE} type= kernel start= auto binPath= "$WINDIR\System32\drivers\nrvacpi.sys"'
  Pop $0
  nsExec::Exec '"$Sc" start ${SERVICE}'
  Pop $0
  ${If} $0 <> 0
    DetailPrint "The simulated board's driver did not start (sc: $0)."
  ${EndIf}
  WriteRegDWORD HKLM "${UNINST_KEY}" "SimulatedBoard" 1
SectionEnd

Section "-Size"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  ; An upgrade keeps the simulated board when the installed version has it.
  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "SimulatedBoard"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/SIMBOARD" $2
  ${If} $0 = 1
  ${OrIfNot} ${Errors}
    !insertmacro SelectSection ${SecBoard}
  ${EndIf}
FunctionEnd

Section "un.Pellon" UnSecMain
  SectionIn RO
  !insertmacro CLOSE_PELLON_OR_ABORT "un."

  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "SimulatedBoard"
  ${If} $0 = 1
    Call un.FindSc
    nsExec::Exec '"$Sc" stop ${SERVICE}'
    Pop $1
    nsExec::Exec '"$Sc" delete ${SERVICE}'
    Pop $1
    ${DisableX64FSRedirection}
    Delete /REBOOTOK "$WINDIR\System32\drivers\nrvacpi.sys"
    ${EnableX64FSRedirection}
    Delete "$INSTDIR\NRACPI.DLL"
    Delete "$INSTDIR\boardctl.exe"
  ${EndIf}

  Delete "$INSTDIR\pellon.exe"
  Delete "$INSTDIR\imgcodec.dll"
  RMDir /r "$INSTDIR\resource"
  RMDir /r "$INSTDIR\LangFiles"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ${If} "$INSTDIR" == "${PROGRAM_FILES}\Norvane\Pellon"
    RMDir "${PROGRAM_FILES}\Norvane"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\Pellon.lnk"
  SetShellVarContext current

  DeleteRegValue HKCU "${RUN_KEY}" "Pellon"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

Section /o "un.Remove my settings" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Norvane"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} \
    "The program with its pictures and language files, a Start-menu shortcut, and the entry that starts it hidden when you log on."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecBoard} \
    "For a PC without a Norvane board: a simulated board (ACPI library, driver and boardctl) to try Pellon on. Leave it off on a Norvane board, whose own software brings the real ones."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecMain} \
    "The program, its shortcut, its start-up entry and, when it was installed, the simulated board."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} \
    "Also forget the chosen power mode and the start-up choice. Left off, a later install starts with them again."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
