#include "app/EndGuardProcess.h"

#include "app/EndGuardArgument.h"
#include "app/EndGuardHandle.h"
#include "engine/Utf16Bridge.h"

#include <vector>

namespace
{
// Terminating a process completes a moment after TerminateProcess returns.
constexpr DWORD kStandDownWaitMs = 2000;

// A handle of this process that a child inherits and can wait on. A process id would
// not do: once the program is gone its id can be given to another process.
bool DuplicateInheritableSelf(CKernelHandle& handle)
{
    return ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                             handle.Receive(), SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                             TRUE, 0) != FALSE;
}
}  // namespace

bool CEndGuardProcess::Start()
{
    if (m_process)
        return true;
    wchar_t szPath[MAX_PATH] = {};
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return false;
    CKernelHandle inheritable;
    if (!DuplicateInheritableSelf(inheritable))
        return false;

    CString strCommandLine;
    strCommandLine.Format(L"\"%s\" %s", szPath,
                          FromU16(MakeEndGuardArgument(EndGuardValueOfHandle(inheritable.Get()))).GetString());
    std::vector<wchar_t> writable(strCommandLine.GetString(),
                                  strCommandLine.GetString() + strCommandLine.GetLength() + 1);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    // The guard shows nothing: no busy pointer waiting for a window that never comes.
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;
    PROCESS_INFORMATION info = {};
    // A class of its own rather than the program's: a child of a parent below normal is
    // born below normal, and a guard starved by the real-time application it must lower
    // could not lower it. Only the one inheritable handle made above exists to be
    // inherited.
    if (!::CreateProcessW(szPath, writable.data(), nullptr, nullptr, TRUE,
                          REALTIME_PRIORITY_CLASS, nullptr, nullptr, &startup, &info))
        return false;
    CKernelHandle unusedThread(info.hThread);  // the guard is watched by its process alone
    m_process.Reset(info.hProcess);
    m_dwProcessId = info.dwProcessId;
    return true;
}

void CEndGuardProcess::StandDown()
{
    if (!m_process)
        return;
    // The guard restores the priorities when the program is gone while the guard still
    // runs; ending it first is what tells an orderly end from any other, whatever exit
    // code the program ends with. It must be gone before the program is, or it could
    // wake to find the program ended and restore after all.
    ::TerminateProcess(m_process.Get(), END_GUARD_STOOD_DOWN_EXIT_CODE);
    ::WaitForSingleObject(m_process.Get(), kStandDownWaitMs);
    m_process.Reset();
    m_dwProcessId = 0;
}
