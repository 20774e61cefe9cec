; Ends a running Vexra the way its user would: through the notification icon's Exit, which
; puts every process it boosted or lowered back to normal priority and removes the icon.
; Both the setup (before it replaces the program) and the uninstaller (before it removes
; it) need this, and an uninstaller's functions must carry the "un." prefix, so the macro
; defines the function under the prefix it is given.
!include LogicLib.nsh
!include WinMessages.nsh

; The program's main window is a dialog with this exact caption, one per user.
!define VEXRA_WINDOW_CLASS "#32770"
!define VEXRA_WINDOW_CAPTION "Vexra"
; The tray menu's Exit command.
!define VEXRA_EXIT_COMMAND 32772
; How long one copy may take to put every process back and end.
!define VEXRA_EXIT_WAIT_MS 15000
; A window that keeps coming back (another copy, or one that will not end) is asked
; this many times at most.
!define VEXRA_EXIT_ATTEMPTS 4
!define VEXRA_SYNCHRONIZE 0x00100000

!macro VEXRA_DEFINE_END_RUNNING_VEXRA PREFIX

; Waits up to VEXRA_EXIT_WAIT_MS for the window on the stack to be destroyed. Used when the
; process behind it cannot be opened to wait for its end directly.
Function ${PREFIX}WaitForWindowGone
  Exch $0
  Push $1
  StrCpy $1 0
  ${Do}
    IsWindow $0 0 gone
    ${If} $1 >= ${VEXRA_EXIT_WAIT_MS}
      ${ExitDo}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 100
  ${Loop}
  gone:
  Pop $1
  Pop $0
FunctionEnd

; Asks every running Vexra to end through its Exit command and waits for each process to
; end, so its file is free to be replaced or deleted. Pushes "ended", or "running" when a
; copy is still there afterwards.
Function ${PREFIX}EndRunningVexra
  Push $0 ; the program's window
  Push $1 ; its process id
  Push $2 ; its process, opened to wait for its end
  Push $3 ; windows asked so far
  StrCpy $3 0
  ${Do}
    FindWindow $0 "${VEXRA_WINDOW_CLASS}" "${VEXRA_WINDOW_CAPTION}"
    ${If} $0 = 0
    ${OrIf} $3 >= ${VEXRA_EXIT_ATTEMPTS}
      ${ExitDo}
    ${EndIf}
    IntOp $3 $3 + 1
    DetailPrint "Asking the running Vexra to exit..."
    ; The process is opened before Exit is asked for, so that its id cannot pass to a
    ; new process in between.
    StrCpy $1 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i ${VEXRA_SYNCHRONIZE}, i 0, i r1) p .r2'
    ; Sent with a time-out: a program that hangs must not hang the setup too.
    SendMessage $0 ${WM_COMMAND} ${VEXRA_EXIT_COMMAND} 0 /TIMEOUT=5000
    ${If} $2 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${VEXRA_EXIT_WAIT_MS}) i'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      Push $0
      Call ${PREFIX}WaitForWindowGone
    ${EndIf}
  ${Loop}
  ${If} $0 = 0
    StrCpy $0 "ended"
  ${Else}
    StrCpy $0 "running"
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macroend
