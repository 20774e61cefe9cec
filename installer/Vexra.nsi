; The setup of Vexra: installs VEXRA-by-Teskor.exe, a Start-menu shortcut and the entry
; under "Apps" / "Programs and Features", and writes Uninstall.exe, which takes all of it,
; the logon task and the program's settings away again.
;
; Built by scripts/package.sh (the build's "setup" target), which defines:
;   VERSION      the program's own file version, e.g. 1.0.0.37
;   PROGRAM_EXE  the built VEXRA-by-Teskor.exe
;   ICON_FILE    the program's icon
;   OUT_FILE     where the setup goes: <build>/installer/VexraSetup-<version>.exe
;
; Silent use, as with every NSIS setup:  VexraSetup-<version>.exe /S [/D=C:\folder]
; (/D= comes last and is not quoted) and  Uninstall.exe /S.

!ifndef VERSION | PROGRAM_EXE | ICON_FILE | OUT_FILE
  !error "Build the setup with scripts/package.sh (it defines VERSION, PROGRAM_EXE, ICON_FILE, OUT_FILE)"
!endif

Unicode true
SetCompressor /SOLID lzma
!include MUI2.nsh
!include LogicLib.nsh
!include EndRunningVexra.nsh

!define PRODUCT_NAME "Vexra"
!define PUBLISHER "Teskor"
!define PROGRAM_FILE "VEXRA-by-Teskor.exe"
!define UNINSTALLER_FILE "Uninstall.exe"
!define SHORTCUT_FILE "Vexra.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexra"
; The program's own settings and the name of the logon task it registers at its first start.
!define PROGRAM_KEY "Software\VexraUi"
!define LOGON_TASK "Vexra_Start"

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
; The program is 32-bit, so it goes under the 32-bit Program Files folder on 64-bit Windows.
InstallDir "$PROGRAMFILES32\${PRODUCT_NAME}"
; An update goes where the installed copy is. The setup is 32-bit, so NSIS reads and writes
; the 32-bit view of the registry (WOW6432Node on 64-bit Windows), as for a 32-bit program.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Program Files, HKLM and the machine-wide logon task all need an administrator.
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_NAME} ${VERSION}"

; The setup's own version record names the program's version.
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2018 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "VexraSetup-${VERSION}.exe"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Not shown in a silent run, so a silent setup never starts the program.
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_FILE}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!insertmacro VEXRA_DEFINE_END_RUNNING_VEXRA ""
!insertmacro VEXRA_DEFINE_END_RUNNING_VEXRA "un."

; ---- shared checks ----------------------------------------------------------------------

!macro VEXRA_REQUIRE_ADMINISTRATOR
  ; Without UAC (or with it turned off) an ordinary user gets no elevation prompt; every
  ; write below would then fail, so say so instead of reporting a broken install.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Administrator rights are needed to install or uninstall ${PRODUCT_NAME}." /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; Ends a running copy through its Exit, or stops when the user cannot get it to end: its
; file could be neither replaced nor deleted.
!macro VEXRA_END_RUNNING_OR_ABORT PREFIX
  ${Do}
    Call ${PREFIX}EndRunningVexra
    Pop $0
    ${If} $0 == "ended"
      ${ExitDo}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT_NAME} is still running and does not end. Choose Exit from its icon in the notification area, then click Retry." /SD IDCANCEL IDRETRY`
      Abort "${PRODUCT_NAME} is still running."
    ${EndIf}
  ${Loop}
!macroend

; Adds the size of FILE, in bytes, to $R8.
!macro VEXRA_ADD_FILE_SIZE FILE
  FileOpen $0 "${FILE}" r
  FileSeek $0 0 END $1
  FileClose $0
  IntOp $R8 $R8 + $1
!macroend

; ---- the setup ----------------------------------------------------------------------------

Function .onInit
  ; The shortcut is for everyone who logs on, as the uninstall entry and the logon task are.
  SetShellVarContext all
  !insertmacro VEXRA_REQUIRE_ADMINISTRATOR
FunctionEnd

Section "Vexra" SectionProgram
  SectionIn RO
  !insertmacro VEXRA_END_RUNNING_OR_ABORT ""

  SetOutPath "$INSTDIR"
  SetOverwrite on
  ClearErrors
  File "/oname=${PROGRAM_FILE}" "${PROGRAM_EXE}"
  ${If} ${Errors}
    Abort "Could not write $INSTDIR\${PROGRAM_FILE}."
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER_FILE}"

  CreateShortcut "$SMPROGRAMS\${SHORTCUT_FILE}" "$INSTDIR\${PROGRAM_FILE}" "" \
    "$INSTDIR\${PROGRAM_FILE}" 0

  ; Stated although it is the default of a 32-bit setup: the entry belongs in the 32-bit
  ; view, where Windows lists a 32-bit program's entry.
  SetRegView 32
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_FILE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_FILE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_FILE}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KB, of what this setup put into the folder (the folder may hold other files).
  StrCpy $R8 0
  !insertmacro VEXRA_ADD_FILE_SIZE "$INSTDIR\${PROGRAM_FILE}"
  !insertmacro VEXRA_ADD_FILE_SIZE "$INSTDIR\${UNINSTALLER_FILE}"
  IntOp $R8 $R8 + 1023
  IntOp $R8 $R8 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R8

  ; The program registers its logon task once and remembers that in its settings. A task
  ; registered by a copy run from elsewhere before (the portable .exe) would go on
  ; starting that copy, so the installed program is made to register its own path.
  DeleteRegValue HKCU "${PROGRAM_KEY}" "Schedinfo"
SectionEnd

; ---- the uninstaller ------------------------------------------------------------------------

Function un.onInit
  SetShellVarContext all
  !insertmacro VEXRA_REQUIRE_ADMINISTRATOR
FunctionEnd

Section "Uninstall"
  !insertmacro VEXRA_END_RUNNING_OR_ABORT "un."

  ; The system's own tool by its full path, so no schtasks.exe of another folder runs with
  ; this uninstaller's rights. A task that is not there (never registered) is no error.
  DetailPrint "Removing the logon task ${LOGON_TASK}..."
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn ${LOGON_TASK} /F'
  Pop $0

  DeleteRegKey HKCU "${PROGRAM_KEY}"

  ; Only the files this setup installed: the folder may be one the user chose and shares.
  Delete "$INSTDIR\${PROGRAM_FILE}"
  Delete "$INSTDIR\${UNINSTALLER_FILE}"
  Delete "$SMPROGRAMS\${SHORTCUT_FILE}"

  SetRegView 32
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Removed only when empty.
  RMDir "$INSTDIR"
SectionEnd
