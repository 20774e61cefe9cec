// Start at logon: a Task Scheduler task "Vexra_Start" set up once through schtasks.exe,
// remembered by the value "Schedinfo" = "2" under the program's registry key.
#pragma once

#include "framework/Afx.h"

// Sets the task up unless "Schedinfo" says it was done before. Runs the tool twice,
// hidden, waiting for each run: delete any old task, then create the new one. The marker
// is written only when the create run exited with 0, so a failed set-up is tried again
// at the next start.
void CreateLogonTask();

// Runs "<tool> <arguments>" hidden and waits for it to end. TRUE when the tool could be
// started and exited with code 0.
BOOL RunTaskTool(CString strTool, CString strArguments);

// Full path of the running executable.
CString GetModulePath();

// The program the task starts: the short form of the executable's folder (the long form
// when Windows has no short one) followed by "\VEXRA-by-Teskor.exe".
CString LogonTaskProgramPath(const CString& strModulePath);

// The tool's arguments for creating the task on Windows of the given major version.
CString LogonTaskCreateArguments(DWORD dwMajorVersion, const CString& strProgramPath);
