#include "endofrun/EndGuardRun.h"

#include "endofrun/EndGuardHandle.h"
#include "endofrun/PriorityRestore.h"
#include "endofrun/ProgramCopy.h"
#include "engine/Win32ProcessSystem.h"

namespace
{
void RestoreAfterTheProgram(CRestoreHandshake& handshake)
{
    if (!handshake.BeginRestore())
        return;
    CGuardRestoreGate gate(handshake, ::GetCurrentProcessId());
    CWin32ProcessSystem system;
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreEveryProcess(system, gate, pids, sizeof(pids));
    handshake.EndRestore();
}
}  // namespace

void RunEndGuard(uint32_t handleValue, CRestoreHandshake& handshake)
{
    // An inherited handle has the same value in this process as in the program.
    const HANDLE hProgram = EndGuardHandleOfValue(handleValue);
    if (!IsCopyOfThisProgram(hProgram))
        return;
    // Ready to run at once however busy the machine is: the real-time application the
    // program boosted would otherwise starve the guard that must lower it.
    ::SetPriorityClass(::GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    if (::WaitForSingleObject(hProgram, INFINITE) != WAIT_OBJECT_0)
        return;
    RestoreAfterTheProgram(handshake);
}
