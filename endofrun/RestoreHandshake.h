// One restore at a time. A guard restoring after its program's end holds a named mutex;
// a new start of the program waits for it (bounded) before it changes anything, and the
// guard stops the moment a new run holds the program's instance mutex: it never sets the
// new program, its guard or its first pass's demotions back to normal.
#pragma once

#include "engine/PriorityGate.h"
#include "framework/Afx.h"
#include "framework/Handle.h"

// How long a new start waits for an earlier run's guard to finish restoring.
const DWORD EARLIER_RESTORE_WAIT_MS = 5000;

class CRestoreHandshake
{
public:
    // instanceMutexName: the mutex each run of the program holds; restoringMutexName: the
    // one a restoring guard holds. Both per user.
    CRestoreHandshake(const CString& instanceMutexName, const CString& restoringMutexName);

    // The guard's side: held from the first change of its restore to its end.
    bool BeginRestore();
    void EndRestore();
    // Whether a new run of the program has begun (it holds the instance mutex).
    bool HasNewRunBegun() const;

    // The new run's side: returns once no guard restores any more, or after waitMs.
    void WaitForEarlierRestore(DWORD waitMs) const;

private:
    CString m_strInstanceMutexName;
    CString m_strRestoringMutexName;
    CKernelHandle m_restoring;
};

// What a guard's restore may change: anything but the guard itself, until a new run of
// the program has begun; from then on that run decides.
class CGuardRestoreGate : public IPriorityGate
{
public:
    CGuardRestoreGate(const CRestoreHandshake& handshake, DWORD guardPid)
        : m_handshake(handshake), m_dwGuardPid(guardPid)
    {
    }

    bool IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass) const override;

private:
    const CRestoreHandshake& m_handshake;
    DWORD m_dwGuardPid;
};
