// What a priority change asks before it reaches the system, and again after it: whether
// it may go through now. The end of the run answers it (no boost or demotion once a
// restore has begun; the end guard's process is nobody's to change); the engine only
// asks.
#pragma once

#include <windows.h>

class IPriorityGate
{
public:
    virtual ~IPriorityGate() = default;

    // Whether process pid may be given priorityClass now. Called from any thread.
    virtual bool IsPriorityChangeAllowed(DWORD pid, DWORD priorityClass) const = 0;
};
