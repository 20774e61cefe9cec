// Copies of this executable that the end of the run starts (the guard's starter and the
// guard), and how each tells that a process handle names the program it works for.
#pragma once

#include "endofrun/EndGuardArgument.h"
#include "framework/Afx.h"
#include "framework/Handle.h"

// This executable's full path; empty when it cannot be read.
CString ThisProgramPath();

// Whether hProcess names a process other than this one whose executable is this one's
// file (compared as files: the logon task starts the program by its short path), running
// or ended: a program ended from outside right after it started its guard is still the
// guard's to restore after.
bool IsCopyOfThisProgram(HANDLE hProcess);
// The same, and the process still runs.
bool IsRunningCopyOfThisProgram(HANDLE hProcess);

// The creation time of the process (FILETIME units); 0 when it cannot be read.
ULONGLONG ProcessCreationTime(HANDLE hProcess);

// Starts a copy of this executable in `role`, handing it hProgram (an inheritable handle
// of the program's process) and no other handle. Where this process runs in a job that
// lets its processes leave, the copy leaves it, so that ending the job's processes does
// not end the copy too. The copy runs at real-time: a real-time application the program
// boosted would otherwise starve the guard that must lower it. FALSE when it could not
// be started.
bool StartCopyOfThisProgram(EndGuardRole role, HANDLE hProgram, PROCESS_INFORMATION& info);
