; The setup of Vexra: installs VEXRA-by-Teskor.exe, a Start-menu shortcut and the entry
; under "Apps" / "Programs and Features", and writes Uninstall.exe, which takes all of it,
; the logon task and the program's settings away again.
;
; One script, two setups: the x86 program's (a 32-bit setup, into the 32-bit Program Files,
; its entry in the 32-bit registry view) and the x64 program's (a 64-bit setup, into the
; 64-bit Program Files, its entry in the 64-bit view). Only one Vexra is ever installed:
; the x64 setup ends and removes an x86 installation it finds; the x86 setup refuses while
; an x64 installation exists, and on 64-bit Windows points to the x64 setup first.
;
; Built by scripts/package.sh (the build's "setup" target), which defines:
;   VERSION      the program's own file version, e.g. 1.0.0.37
;   ARCH         the program's architecture: x86 or x64
;   PROGRAM_EXE  the built VEXRA-by-Teskor.exe
;   ICON_FILE    the program's icon
;   OUT_FILE     where the setup goes: <build>/installer/VexraSetup-<version>-<arch>.exe
;
; Silent use, as with every NSIS setup:  VexraSetup-<version>-<arch>.exe /S [/D=C:\folder]
; (/D= comes last and is not quoted) and  Uninstall.exe /S.
;
; Exit codes besides NSIS's own (0 done, 1 cancelled by the user, 2 stopped by the script):
;   32    ERROR_SHARING_VIOLATION: a file of the program is in use (a copy running for
;         another user, or any process holding it) and could not be deleted. Nothing else
;         was removed: the installation, its entry and its uninstaller are as they were.
;   740   ERROR_ELEVATION_REQUIRED: run without administrator rights.
;   1223  ERROR_CANCELLED: the x86 setup on 64-bit Windows, declined by the user.
;   1638  ERROR_PRODUCT_VERSION: the x86 setup while the x64 Vexra is installed.
; An uninstaller started by its own name copies itself to the temporary folder, starts the
; copy and ends at once with 0; its exit code reaches the caller only when it runs in place:
;   Uninstall.exe /S _?=<install folder>

!ifndef VERSION | ARCH | PROGRAM_EXE | ICON_FILE | OUT_FILE
  !error "Build the setup with scripts/package.sh (it defines VERSION, ARCH, PROGRAM_EXE, ICON_FILE, OUT_FILE)"
!endif

!if "${ARCH}" == "x64"
  Target amd64-unicode
  ; A 64-bit setup sees the real system folder, Program Files and registry: no WOW64
  ; redirection stands between it and the 64-bit program it installs.
  !define OWN_PROGRAM_FILES "$PROGRAMFILES64"
  !define OWN_REG_VIEW 64
  !define OTHER_REG_VIEW 32
  !define ARCH_TEXT "64-bit"
!else if "${ARCH}" == "x86"
  Unicode true
  !define OWN_PROGRAM_FILES "$PROGRAMFILES32"
  !define OWN_REG_VIEW 32
  !define OTHER_REG_VIEW 64
  !define ARCH_TEXT "32-bit"
!else
  !error "ARCH is x86 or x64, not ${ARCH}"
!endif

SetCompressor /SOLID lzma
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
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
; The exit code of a setup or uninstaller that found the program's file in use.
!define EXIT_PROGRAM_IN_USE 32 ; ERROR_SHARING_VIOLATION

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
; The x86 program goes under the 32-bit Program Files folder on 64-bit Windows, the x64
; program under the 64-bit one.
InstallDir "${OWN_PROGRAM_FILES}\${PRODUCT_NAME}"
; An update goes where the installed copy is. NSIS reads this in the setup's own view of
; the registry, which is the view its program's entry is written to: the 32-bit view
; (WOW6432Node on 64-bit Windows) for the 32-bit setup, the 64-bit one for the 64-bit setup.
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
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup (${ARCH_TEXT})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2018 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "VexraSetup-${VERSION}-${ARCH}.exe"

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

; Deletes FILE, a program of ours, or stops before anything else is removed. What still
; holds the file once this user's copy has ended is most often a copy running for another
; user, whose window no Exit reaches from here. Were the rest removed then, the program
; would stay with nothing to remove it; stopped here, its uninstall entry and uninstaller
; stay until it can go. A file whose delete is only pending (a process holds it open with
; delete sharing) is still there, and counts as such.
!macro VEXRA_DELETE_PROGRAM_OR_ABORT FILE
  ${Do}
    Delete "${FILE}"
    ${IfNot} ${FileExists} "${FILE}"
      ${ExitDo}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${FILE} cannot be deleted: it is in use, perhaps by ${PRODUCT_NAME} running for another user of this computer.$\n$\nEnd it there (Exit in its notification-area menu), then click Retry. Cancel leaves ${PRODUCT_NAME} installed as it is." /SD IDCANCEL IDRETRY`
      SetErrorLevel ${EXIT_PROGRAM_IN_USE}
      Abort "${FILE} is in use and was not deleted; ${PRODUCT_NAME} is still installed."
    ${EndIf}
  ${Loop}
!macroend

; Only one Vexra on a machine. The x86 setup on 64-bit Windows refuses while the x64 Vexra
; is installed, and otherwise says that the x64 setup is the one for this machine and asks
; whether to go on (a silent setup goes on). The x64 setup has nothing to check here: it
; replaces an x86 installation (VEXRA_REMOVE_X86_INSTALLATION).
!macro VEXRA_ONE_ARCHITECTURE_ONLY
!if "${ARCH}" == "x86"
  ${If} ${RunningX64}
    SetRegView ${OTHER_REG_VIEW}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView ${OWN_REG_VIEW}
    ${If} $0 != ""
      MessageBox MB_ICONSTOP "The 64-bit ${PRODUCT_NAME} is installed on this computer ($0).$\n$\nTo update it, run VexraSetup-${VERSION}-x64.exe. To install the 32-bit ${PRODUCT_NAME} instead, uninstall the 64-bit one first." /SD IDOK
      SetErrorLevel 1638 ; ERROR_PRODUCT_VERSION: another version of this product is installed
      Quit
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "This computer runs 64-bit Windows: VexraSetup-${VERSION}-x64.exe installs the ${PRODUCT_NAME} made for it.$\n$\nInstall the 32-bit ${PRODUCT_NAME} anyway?" /SD IDYES IDYES`
      SetErrorLevel 1223 ; ERROR_CANCELLED
      Quit
    ${EndIf}
  ${EndIf}
!endif
!macroend

; The x64 setup takes the place of an x86 installation: the files that setup put there,
; its entry in the 32-bit view and its folder when nothing else is left in it. The running
; program has been ended before, as for an update; the shortcut is written anew below, and
; the logon task, which has the same name, is registered again by the new program. The x86
; program goes first: while it cannot, its uninstaller and entry stay, and this setup stops
; before it installs anything.
!macro VEXRA_REMOVE_X86_INSTALLATION
!if "${ARCH}" == "x64"
  SetRegView ${OTHER_REG_VIEW}
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  SetRegView ${OWN_REG_VIEW}
  ${If} $R0 != ""
    DetailPrint "Removing the 32-bit ${PRODUCT_NAME} from $R0..."
    !insertmacro VEXRA_DELETE_PROGRAM_OR_ABORT "$R0\${PROGRAM_FILE}"
    Delete "$R0\${UNINSTALLER_FILE}"
    SetRegView ${OTHER_REG_VIEW}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    SetRegView ${OWN_REG_VIEW}
    RMDir "$R0"
  ${EndIf}
!endif
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
  SetRegView ${OWN_REG_VIEW}
  !insertmacro VEXRA_REQUIRE_ADMINISTRATOR
  !insertmacro VEXRA_ONE_ARCHITECTURE_ONLY
FunctionEnd

Section "Vexra" SectionProgram
  SectionIn RO
  !insertmacro VEXRA_END_RUNNING_OR_ABORT ""
  !insertmacro VEXRA_REMOVE_X86_INSTALLATION

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

  ; Stated although it is the setup's default: the entry belongs in the view of the
  ; program's own architecture, where Windows lists it.
  SetRegView ${OWN_REG_VIEW}
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
  SetRegView ${OWN_REG_VIEW}
  !insertmacro VEXRA_REQUIRE_ADMINISTRATOR
FunctionEnd

Section "Uninstall"
  !insertmacro VEXRA_END_RUNNING_OR_ABORT "un."

  ; The program first: what removes it (this uninstaller and its entry) and what belongs to
  ; it (its task) must outlive it.
  !insertmacro VEXRA_DELETE_PROGRAM_OR_ABORT "$INSTDIR\${PROGRAM_FILE}"

  Delete "$SMPROGRAMS\${SHORTCUT_FILE}"
  DeleteRegKey HKCU "${PROGRAM_KEY}"
  ; Only the files this setup installed: the folder may be one the user chose and shares.
  Delete "$INSTDIR\${UNINSTALLER_FILE}"
  ; Removed only when empty.
  RMDir "$INSTDIR"

  ; The system's own tool by its full path, so no schtasks.exe of another folder runs with
  ; this uninstaller's rights. A task that is not there (never registered) is no error.
  DetailPrint "Removing the logon task ${LOGON_TASK}..."
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn ${LOGON_TASK} /F'
  Pop $0

  SetRegView ${OWN_REG_VIEW}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
