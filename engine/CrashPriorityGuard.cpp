#include "engine/CrashPriorityGuard.h"

#include "engine/PriorityControl.h"
#include "engine/Win32ProcessSystem.h"

#include <cstdlib>
#include <exception>

namespace
{
void RestoreAllProcessesToNormal()
{
    // A fresh view of the system: the crashed dialog's own objects may be what broke.
    // Nothing here allocates beyond the stack, so it still works with a damaged heap.
    CWin32ProcessSystem system;
    CPriorityControl priorities(system);
    priorities.RestoreAllPriorities();
}

[[noreturn]] void RestorePrioritiesOnTerminate()
{
    RestoreAllProcessesToNormal();
    std::abort();
}
}  // namespace

LONG WINAPI RestorePrioritiesOnCrash(EXCEPTION_POINTERS* /*pException*/)
{
    RestoreAllProcessesToNormal();
    return EXCEPTION_CONTINUE_SEARCH;
}

void InstallCrashPriorityGuard()
{
    ::SetUnhandledExceptionFilter(RestorePrioritiesOnCrash);
    std::set_terminate(RestorePrioritiesOnTerminate);
}
