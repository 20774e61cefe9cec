// Who a process is: its executable's name and the account it runs as. The results go to
// three program-wide strings, used on the main dialog's thread only; callers clear them
// before a lookup, and a part of a lookup that fails leaves its string as it was.
#pragma once

#include "framework/Afx.h"

extern CString g_strProcessName;     // "notepad.exe", or a device path when no module is seen
extern CString g_strProcessDomain;   // "NT AUTHORITY", a computer or domain name
extern CString g_strProcessUser;     // "user1", "SYSTEM", ...

// Fills g_strProcessName, then the owner strings.
void LookupProcessIdentity(DWORD pid);

// Fills g_strProcessUser and g_strProcessDomain with the account the process runs as.
void LookupProcessOwner(DWORD pid);

// When the process could not be opened for its name, asks the terminal services'
// process list of this session for it. Changes nothing when the list has no such id.
void GetFallbackProcessName(DWORD pid);

// One entry of WTSEnumerateProcessesExW at level 1 (not declared by mingw-w64).
struct WtsProcessInfoExW
{
    DWORD SessionId;
    DWORD ProcessId;
    LPWSTR pProcessName;
    PSID pUserSid;
    DWORD NumberOfThreads;
    DWORD HandleCount;
    DWORD PagefileUsage;
    DWORD PeakPagefileUsage;
    DWORD WorkingSetSize;
    DWORD PeakWorkingSetSize;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
};

// The name of the entry whose process id is pid; null when there is none.
LPCWSTR FindWtsProcessName(const WtsProcessInfoExW* entries, DWORD count, DWORD pid);
