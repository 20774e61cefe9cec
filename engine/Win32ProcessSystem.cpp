#include "engine/Win32ProcessSystem.h"

#include "engine/ProcessAccess.h"
#include "engine/ProcessIdentity.h"
#include "framework/Handle.h"
#include "monitor/Version.h"

#include <psapi.h>

BOOL CWin32ProcessSystem::EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned)
{
    return ::EnumProcesses(pids, bufferLength, bytesReturned);
}

namespace
{
BOOL SetPriorityOfOpenProcess(HANDLE process, DWORD priorityClass)
{
    const BOOL result = ::SetPriorityClass(process, priorityClass);
    // FALSE means "boosting not disabled": the system may still lift the threads of the
    // process briefly, as it does for any other.
    ::SetProcessPriorityBoost(process, FALSE);
    return result;
}

// 0 when the times cannot be read.
ULONGLONG CreationTimeOf(HANDLE process)
{
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}
}  // namespace

BOOL CWin32ProcessSystem::SetProcessPriority(DWORD pid, DWORD priorityClass)
{
    CKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS_VISTA, FALSE, pid));
    if (!process)
        return FALSE;
    return SetPriorityOfOpenProcess(process.Get(), priorityClass);
}

DWORD CWin32ProcessSystem::GetProcessPriority(DWORD pid)
{
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return 0;
    return ::GetPriorityClass(process.Get());
}

BOOL CWin32ProcessSystem::ReadProcessFacts(DWORD pid, wchar_t* imageName, DWORD capacity,
                                           ULONGLONG* creationTime)
{
    CKernelHandle process(::OpenProcess(PROCESS_READ_NAME_ACCESS, FALSE, pid));
    if (!process)
        return FALSE;
    ::GetProcessImageFileNameW(process.Get(), imageName, capacity);
    *creationTime = CreationTimeOf(process.Get());
    return TRUE;
}

PriorityChange CWin32ProcessSystem::SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                                             DWORD priorityClass)
{
    CKernelHandle process(::OpenProcess(PROCESS_ALL_ACCESS_VISTA, FALSE, pid));
    if (!process)
        return PriorityChange::Failed;
    // While this handle is open the id cannot be given to another process, so what the
    // times say now holds for the change below.
    if (CreationTimeOf(process.Get()) != creationTime)
        return PriorityChange::OtherProcess;
    return SetPriorityOfOpenProcess(process.Get(), priorityClass) ? PriorityChange::Made
                                                                  : PriorityChange::Failed;
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

namespace
{
// The Win32 path of the process's executable, empty when the process cannot be asked.
CString FullImagePath(DWORD pid)
{
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return CString();
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = ARRAYSIZE(path);
    if (!::QueryFullProcessImageNameW(process.Get(), 0, path, &length))
        return CString();
    return CString(path, static_cast<int>(length));
}
}  // namespace

CString CWin32ProcessSystem::GetProductName(DWORD pid, const CString& imageName)
{
    // The full path names the very file the process runs. A bare base name would be
    // looked up in the current folder and the search path, which can find another file
    // of that name; it is used only when the process cannot be asked for its path.
    CString path = FullImagePath(pid);
    if (path.IsEmpty())
        path = imageName;
    // An empty path would make the reader read our own executable.
    if (path.IsEmpty())
        return CString();
    CVersion version(path);
    version.ReadVersionInfo();
    return version.m_strProductName;
}

TIMES_READER CWin32ProcessSystem::OpenTimesReader(DWORD pid, ULONGLONG* creationTime)
{
    // SYNCHRONIZE: a reading asks whether the process has ended, which its times alone
    // do not tell.
    CKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (!process)
        return 0;
    const ULONGLONG created = CreationTimeOf(process.Get());
    if (created == 0 || (*creationTime != 0 && created != *creationTime))
        return 0;
    *creationTime = created;
    do
        ++m_lastTimesReader;
    while (m_lastTimesReader == 0 || m_timesReaders.count(m_lastTimesReader) != 0);
    m_timesReaders.emplace(m_lastTimesReader, std::move(process));
    return m_lastTimesReader;
}

BOOL CWin32ProcessSystem::ReadProcessorTime(TIMES_READER reader, ULONGLONG* processorTime)
{
    const auto found = m_timesReaders.find(reader);
    if (found == m_timesReaders.end())
        return FALSE;
    HANDLE process = found->second.Get();
    if (::WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
        return FALSE;
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return FALSE;
    const auto toUnits = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    *processorTime = toUnits(kernel) + toUnits(user);
    return TRUE;
}

void CWin32ProcessSystem::CloseTimesReader(TIMES_READER reader)
{
    m_timesReaders.erase(reader);
}

DWORD CWin32ProcessSystem::GetProcessorCount()
{
    // Every group: a machine with more than 64 logical processors has several, and the
    // real-time processes may run in any of them.
    const DWORD count = ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    if (count != 0)
        return count;
    SYSTEM_INFO info = {};
    ::GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

DWORD CWin32ProcessSystem::GetTickCount()
{
    return ::GetTickCount();
}
