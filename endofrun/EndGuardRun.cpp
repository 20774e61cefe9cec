#include "endofrun/EndGuardRun.h"

#include "endofrun/EndGuardHandle.h"
#include "endofrun/PriorityRestore.h"
#include "endofrun/ProgramCopy.h"
#include "engine/Win32ProcessSystem.h"

namespace
{
// What the guard's restore may change: anything but the guard itself, until a new run
// of the program has begun; from then on that run decides.
class CGuardRestoreGate : public IPriorityGate
{
public:
    explicit CGuardRestoreGate(const CRestoreHandshake& handshake) : m_handshake(handshake) {}

    bool IsPriorityChangeAllowed(DWORD pid, DWORD /*priorityClass*/) const override
    {
        return pid != ::GetCurrentProcessId() && !m_handshake.HasNewRunBegun();
    }

private:
    const CRestoreHandshake& m_handshake;
};

void RestoreAfterTheProgram(CRestoreHandshake& handshake)
{
    if (!handshake.BeginRestore())
        return;
    CGuardRestoreGate gate(handshake);
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
    if (!IsRunningCopyOfThisProgram(hProgram))
        return;
    // Ready to run at once however busy the machine is: the real-time application the
    // program boosted would otherwise starve the guard that must lower it.
    ::SetPriorityClass(::GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    if (::WaitForSingleObject(hProgram, INFINITE) != WAIT_OBJECT_0)
        return;
    RestoreAfterTheProgram(handshake);
}
