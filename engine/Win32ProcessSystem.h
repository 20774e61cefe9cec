// The engine's door to the real system: psapi, kernel32 and user32.
#pragma once

#include "engine/ProcessSystem.h"

class CWin32ProcessSystem : public IProcessSystem
{
public:
    BOOL EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned) override;
    BOOL SetProcessPriority(DWORD pid, DWORD priorityClass) override;
    DWORD GetProcessPriority(DWORD pid) override;
    BOOL ReadProcessFacts(DWORD pid, wchar_t* imageName, DWORD capacity,
                          ULONGLONG* creationTime) override;
    PriorityChange SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                            DWORD priorityClass) override;
    HWND GetForegroundWindow() override;
    DWORD GetWindowProcessId(HWND hWnd) override;
    void EnumChildWindows(HWND hParent, WNDENUMPROC enumProc, LPARAM context) override;
    DWORD GetCurrentProcessId() override;
    void LookupProcessIdentity(DWORD pid) override;
    CString GetProductName(DWORD pid, const CString& imageName) override;
};
