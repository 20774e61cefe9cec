// Start at logon: a Task Scheduler task "Vexra_Start" set up once through schtasks.exe,
// remembered by the value "Schedinfo" = "2" under the program's registry key.
#pragma once

#include "framework/Afx.h"

// How long the set-up waits for the task tool, both runs together.
const DWORD LOGON_TASK_TOOL_WAIT_MS = 60000;

// Sets the task up unless "Schedinfo" says it was done before, with the system's own
// schtasks.exe. Runs the tool twice, hidden: delete any old task, then create the new
// one. The marker is written only when the create run exited with 0, so a failed set-up
// is tried again at the next start; so is one that did not end within the bound, or that
// was stopped through hStop (an event; null: never stopped). Takes its time: it runs on a
// thread of its own (CLogonTaskSetUp), never on the window's.
void CreateLogonTask(HANDLE hStop);

// The same with the given tool, waiting for it at most dwWaitMs in all: a run still going
// then, or when hStop is set, is ended, and no later run is made. On Windows 6 and later
// the task is created from a definition (MakeLogonTaskDefinition) written to a file of
// the temporary folder, which is gone again when this returns.
void SetUpLogonTask(const CString& strToolPath, DWORD dwWaitMs, HANDLE hStop = nullptr);

// <system folder>\schtasks.exe; empty when the system folder cannot be read.
CString SystemTaskToolPath();

enum class TaskToolResult
{
    NotStarted,
    NotFinished,  // still running after the wait, or when told to stop: it has been ended
    Failed,       // ended with a code other than 0
    Succeeded,
};

// Runs the tool at strToolPath hidden, with the command line "<its file name>
// <arguments>", inheriting no handle of ours, and waits for it at most dwWaitMs, or until
// hStop (an event, may be null) is set.
TaskToolResult RunTaskTool(const CString& strToolPath, const CString& strArguments, DWORD dwWaitMs,
                           HANDLE hStop = nullptr);

// Full path of the running executable.
CString GetModulePath();

// The program the task starts: the short form of the executable's folder (the long form
// when Windows has no short one) followed by "\VEXRA-by-Teskor.exe".
CString LogonTaskProgramPath(const CString& strModulePath);

// The tool's arguments for creating the task from the definition file at
// strDefinitionPath (Windows 6 and later).
CString LogonTaskCreateFromDefinitionArguments(const CString& strDefinitionPath);

// The tool's arguments for creating the task on Windows older than 6, which knows no
// definitions: at logon, as System, without delay.
CString LegacyLogonTaskCreateArguments(const CString& strProgramPath);
