// The version of Windows that really runs. A program whose manifest declares no supported
// systems (this one's does not) is told 6.2 build 9200 by GetVersionExW on Windows 8.1 and
// later; RtlGetVersion tells the true version whatever the manifest says.
#pragma once

#include <windows.h>

// The two calls that can tell the version; tests put stand-ins in their place.
struct WindowsVersionCalls
{
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);  // returns an NTSTATUS
    using GetVersionExFn = BOOL(WINAPI*)(OSVERSIONINFOW*);

    RtlGetVersionFn rtlGetVersion;  // null where ntdll does not export it
    GetVersionExFn getVersionEx;
};

// ntdll's RtlGetVersion, looked up at run time, and kernel32's GetVersionExW.
WindowsVersionCalls SystemWindowsVersionCalls();

// Fills `version` (zeroed first, size field set) from RtlGetVersion, or from GetVersionExW
// where RtlGetVersion is missing or fails. False when neither could tell.
bool ReadRunningWindowsVersion(OSVERSIONINFOEXW& version,
                               const WindowsVersionCalls& calls = SystemWindowsVersionCalls());
