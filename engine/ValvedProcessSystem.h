// The engine's door to the system with the real-time valve in it: every class change the
// engine makes passes here, so the valve learns which processes the program put at
// real-time and which left it, and a process the valve has set to high stays there when
// the engine asks for real-time again. Everything else goes straight through.
#pragma once

#include "engine/ProcessSystem.h"
#include "engine/RealtimeValve.h"

class CValvedProcessSystem : public IProcessSystem
{
public:
    CValvedProcessSystem(IProcessSystem& system, CRealtimeValve& valve)
        : m_system(system), m_valve(valve)
    {
    }

    BOOL SetProcessPriority(DWORD pid, DWORD priorityClass) override;
    PriorityChange SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                            DWORD priorityClass) override;

    BOOL EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned) override
    {
        return m_system.EnumProcessIds(pids, bufferLength, bytesReturned);
    }
    DWORD GetProcessPriority(DWORD pid) override { return m_system.GetProcessPriority(pid); }
    BOOL ReadProcessFacts(DWORD pid, wchar_t* imageName, DWORD capacity,
                          ULONGLONG* creationTime) override
    {
        return m_system.ReadProcessFacts(pid, imageName, capacity, creationTime);
    }
    HWND GetForegroundWindow() override { return m_system.GetForegroundWindow(); }
    DWORD GetWindowProcessId(HWND hWnd) override { return m_system.GetWindowProcessId(hWnd); }
    void EnumChildWindows(HWND hParent, WNDENUMPROC enumProc, LPARAM context) override
    {
        m_system.EnumChildWindows(hParent, enumProc, context);
    }
    DWORD GetCurrentProcessId() override { return m_system.GetCurrentProcessId(); }
    void LookupProcessIdentity(DWORD pid) override { m_system.LookupProcessIdentity(pid); }
    CString GetProductName(DWORD pid, const CString& imageName) override
    {
        return m_system.GetProductName(pid, imageName);
    }
    TIMES_READER OpenTimesReader(DWORD pid, ULONGLONG* creationTime) override
    {
        return m_system.OpenTimesReader(pid, creationTime);
    }
    BOOL ReadProcessorTime(TIMES_READER reader, ULONGLONG* processorTime) override
    {
        return m_system.ReadProcessorTime(reader, processorTime);
    }
    void CloseTimesReader(TIMES_READER reader) override { m_system.CloseTimesReader(reader); }
    DWORD GetProcessorCount() override { return m_system.GetProcessorCount(); }
    DWORD GetTickCount() override { return m_system.GetTickCount(); }

private:
    IProcessSystem& m_system;
    CRealtimeValve& m_valve;
};
