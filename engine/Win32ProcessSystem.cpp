#include "engine/Win32ProcessSystem.h"

#include "engine/ProcessAccess.h"
#include "engine/ProcessIdentity.h"
#include "engine/ScopedHandle.h"
#include "monitor/Version.h"

#include <psapi.h>

BOOL CWin32ProcessSystem::EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned)
{
    return ::EnumProcesses(pids, bufferLength, bytesReturned);
}

BOOL CWin32ProcessSystem::SetProcessPriority(DWORD pid, DWORD priorityClass)
{
    CScopedHandle process(::OpenProcess(PROCESS_ALL_ACCESS_VISTA, FALSE, pid));
    if (!process)
        return FALSE;
    const BOOL result = ::SetPriorityClass(process.Get(), priorityClass);
    // FALSE means "boosting not disabled": the system may still lift the threads of the
    // process briefly, as it does for any other.
    ::SetProcessPriorityBoost(process.Get(), FALSE);
    return result;
}

BOOL CWin32ProcessSystem::GetProcessImageName(DWORD pid, wchar_t* buffer, DWORD capacity)
{
    CScopedHandle process(::OpenProcess(PROCESS_READ_NAME_ACCESS, FALSE, pid));
    if (!process)
        return FALSE;
    ::GetProcessImageFileNameW(process.Get(), buffer, capacity);
    return TRUE;
}

HWND CWin32ProcessSystem::GetForegroundWindow()
{
    return ::GetForegroundWindow();
}

DWORD CWin32ProcessSystem::GetWindowProcessId(HWND hWnd)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    return pid;
}

void CWin32ProcessSystem::EnumChildWindows(HWND hParent, WNDENUMPROC enumProc, LPARAM context)
{
    ::EnumChildWindows(hParent, enumProc, context);
}

DWORD CWin32ProcessSystem::GetCurrentProcessId()
{
    return ::GetCurrentProcessId();
}

void CWin32ProcessSystem::LookupProcessIdentity(DWORD pid)
{
    ::LookupProcessIdentity(pid);
}

CString CWin32ProcessSystem::GetProductName(const CString& imageName)
{
    // A base name is looked up relative to the current folder, and a device path is not a
    // file name the version functions open: often there is no record, and the caller
    // shows the process name. An empty name would make the reader read our own file.
    if (imageName.IsEmpty())
        return CString();
    CVersion version(imageName);
    version.ReadVersionInfo();
    return version.m_strProductName;
}
