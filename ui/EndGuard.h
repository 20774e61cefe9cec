// What the main dialog needs of the end guard: a second copy of the program that waits
// for the program's end and, should the program end without its orderly end (ended from
// outside, or gone past its own crash restore), returns every process to normal.
#pragma once

#include <windows.h>

class IEndGuard
{
public:
    virtual ~IEndGuard() = default;

    // Starts the guard. False when it could not be started: the program then runs
    // without one.
    virtual bool Start() = 0;
    // The guard's process id; 0 when none runs.
    virtual DWORD ProcessId() const = 0;
    // Part of every orderly end, after the processes are back to normal: the guard is
    // not needed any more and goes.
    virtual void StandDown() = 0;
};
