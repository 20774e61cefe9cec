// A crash must not leave the system's processes in real-time and below-normal after the
// program is gone: the last thing the dying process does is return them to normal,
// through the end of the run it was given.
#pragma once

#include <windows.h>

class CEndOfRun;

// Makes an unhandled exception of any thread, and a C++ exception nothing caught, first
// return every process to the normal class through endOfRun.
void InstallCrashRestore(CEndOfRun* endOfRun);
// Stops a crash from reaching endOfRun, which is about to go; another end of the run
// that was installed since stays.
void ForgetCrashRestore(CEndOfRun* endOfRun);

// What runs when the program crashes; the system goes on to end the process.
LONG WINAPI RestorePrioritiesOnCrash(EXCEPTION_POINTERS* pException);
