// The end guard, as the end of the run sees it: a second copy of the program, started
// through a short-lived starter so that it is nobody's child, that waits for the
// program's end and, should the program end without its orderly end (ended from outside,
// with every process it started, or gone past its own crash restore), returns every
// process to normal.
#pragma once

#include <windows.h>

#include <functional>

class IEndGuard
{
public:
    virtual ~IEndGuard() = default;

    // Starts a guard, and calls onEnded (once, on another thread) should that guard end
    // while it is not stood down. False when none could be started: the program then
    // runs without one.
    virtual bool Start(std::function<void()> onEnded) = 0;
    // The running guard's process id; 0 when none runs.
    virtual DWORD ProcessId() const = 0;
    // Part of every orderly end, after the processes are back to normal: the guard is
    // not needed any more and goes.
    virtual void StandDown() = 0;
};
