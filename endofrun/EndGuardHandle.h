// How the end guard's handle travels on its command line: as the 32-bit number Windows
// uses for handle values wherever they pass between 32- and 64-bit code. The value goes
// out truncated (HandleToULong) and comes back sign-extended (LongToHandle), so that a
// value such as the pseudo handle -1 means the same handle again on x64.
#pragma once

#include <windows.h>

#include <cstdint>

inline uint32_t EndGuardValueOfHandle(HANDLE handle)
{
    return HandleToULong(handle);
}

inline HANDLE EndGuardHandleOfValue(uint32_t value)
{
    return LongToHandle(static_cast<LONG>(value));
}
