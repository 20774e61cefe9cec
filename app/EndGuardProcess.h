// The program's side of its end guard: starts a second copy of this executable that
// inherits a handle of this process, and ends that copy again at the orderly end.
#pragma once

#include "framework/Handle.h"
#include "ui/EndGuard.h"

// The exit code of a guard that the program's orderly end ended; a guard that ends by
// itself ends with 0.
const UINT END_GUARD_STOOD_DOWN_EXIT_CODE = 2;

class CEndGuardProcess : public IEndGuard
{
public:
    CEndGuardProcess() = default;
    CEndGuardProcess(const CEndGuardProcess&) = delete;
    CEndGuardProcess& operator=(const CEndGuardProcess&) = delete;
    // Leaves a guard that was not stood down running: the program is ending without its
    // orderly end, which is what the guard is there for.
    ~CEndGuardProcess() override = default;

    bool Start() override;
    DWORD ProcessId() const override { return m_dwProcessId; }
    // Ends the guard and waits (bounded) until it is gone.
    void StandDown() override;

private:
    CKernelHandle m_process;
    DWORD m_dwProcessId = 0;
};
