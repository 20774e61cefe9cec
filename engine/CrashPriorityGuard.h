// A crash must not leave the system's processes in real-time and below-normal after the
// program is gone: the last thing the dying process does is return them to normal.
#pragma once

#include <windows.h>

// Makes an unhandled exception of any thread, and a C++ exception nothing caught, first
// return every process to the normal class. Called once at start-up.
void InstallCrashPriorityGuard();

// What runs when the program crashes; the system goes on to end the process.
LONG WINAPI RestorePrioritiesOnCrash(EXCEPTION_POINTERS* pException);
