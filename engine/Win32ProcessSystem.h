// The engine's door to the real system: psapi, kernel32 and user32.
#pragma once

#include "engine/ProcessSystem.h"
#include "framework/Handle.h"

#include <map>

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
    TIMES_READER OpenTimesReader(DWORD pid, ULONGLONG* creationTime) override;
    BOOL ReadProcessorTime(TIMES_READER reader, ULONGLONG* processorTime) override;
    void CloseTimesReader(TIMES_READER reader) override;
    DWORD GetProcessorCount() override;
    DWORD GetTickCount() override;

private:
    // The open processes behind the readers handed out. An open handle also keeps the id
    // from being given to a new process while the reader lives.
    std::map<TIMES_READER, CKernelHandle> m_timesReaders;
    TIMES_READER m_lastTimesReader = 0;
};
