// The access masks the engine opens processes with.
#pragma once

#include <windows.h>

// PROCESS_ALL_ACCESS as Windows Vista and later define it (the SDK's value depends on
// _WIN32_WINNT): what a priority change and an owner lookup open a process with.
const DWORD PROCESS_ALL_ACCESS_VISTA = 0x1FFFFF;

// Enough to read a process's image name and modules.
const DWORD PROCESS_READ_NAME_ACCESS = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
