#include "app/EndGuardMode.h"

#include "app/EndGuardHandle.h"

#include "engine/PriorityControl.h"
#include "engine/PriorityGate.h"
#include "engine/Win32ProcessSystem.h"
#include "framework/Handle.h"

#include <tlhelp32.h>

namespace
{
// The id of the process that started this one; 0 when it cannot be found.
DWORD ParentProcessId()
{
    // A Toolhelp snapshot fails with INVALID_HANDLE_VALUE, not NULL.
    CFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return 0;
    const DWORD self = ::GetCurrentProcessId();
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL found = ::Process32FirstW(snapshot.Get(), &entry); found;
         found = ::Process32NextW(snapshot.Get(), &entry))
    {
        if (entry.th32ProcessID == self)
            return entry.th32ParentProcessID;
    }
    return 0;
}

// Whether the handle is one of the program that started this guard. Held open, that
// process's id cannot be given to another, so comparing ids is exact.
bool IsHandleOfParent(HANDLE hProcess)
{
    const DWORD pid = ::GetProcessId(hProcess);
    return pid != 0 && pid != ::GetCurrentProcessId() && pid == ParentProcessId();
}

void RestoreEveryProcess()
{
    // The guard keeps its own class while it works, like the program's restore leaves it.
    SetEndGuardProcessId(::GetCurrentProcessId());
    CWin32ProcessSystem system;
    CPriorityControl priorities(system);
    priorities.RestoreAllPriorities();
}
}  // namespace

void RunEndGuard(uint32_t handleValue)
{
    // An inherited handle has the same value in this process as in the program.
    const HANDLE hProgram = EndGuardHandleOfValue(handleValue);
    if (!IsHandleOfParent(hProgram))
        return;
    // Ready to run at once however busy the machine is: the real-time application the
    // program boosted would otherwise starve the guard that must lower it.
    ::SetPriorityClass(::GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    if (::WaitForSingleObject(hProgram, INFINITE) != WAIT_OBJECT_0)
        return;
    RestoreEveryProcess();
}
