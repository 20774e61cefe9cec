// The program's side of its end guard: starts the guard through a starter copy, so that
// the guard is nobody's child and no kill of the program's process tree takes it along;
// notices at once when the guard ends by itself; and ends it at the orderly end.
#pragma once

#include "endofrun/EndGuard.h"
#include "framework/Handle.h"

#include <cstdint>
#include <functional>

// The exit code of a guard that the program's orderly end ended; a guard that ends by
// itself ends with 0.
const UINT END_GUARD_STOOD_DOWN_EXIT_CODE = 2;

class CEndGuardKeeper : public IEndGuard
{
public:
    CEndGuardKeeper() = default;
    CEndGuardKeeper(const CEndGuardKeeper&) = delete;
    CEndGuardKeeper& operator=(const CEndGuardKeeper&) = delete;
    // Stops watching, but leaves a guard that was not stood down running: the program is
    // ending without its orderly end, which is what the guard is there for.
    ~CEndGuardKeeper() override;

    bool Start(std::function<void()> onEnded) override;
    DWORD ProcessId() const override { return m_dwProcessId; }
    // Ends the guard and waits (bounded) until it is gone.
    void StandDown() override;

private:
    static void CALLBACK OnGuardProcessEnded(void* context, BOOLEAN timedOut);
    void StopWatching();
    void Forget();

    CKernelHandle m_process;
    DWORD m_dwProcessId = 0;
    HANDLE m_hWait = nullptr;   // the thread pool's wait on m_process
    std::function<void()> m_onEnded;
};

// The starter's run: starts the guard for the program named by the inherited handle and
// returns the guard's process id, the starter's exit code (0: none started).
DWORD RunEndGuardStarter(uint32_t handleValue);
