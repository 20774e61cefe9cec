// The System page's edition text and version-numbers text, from what Windows reports.
#pragma once

#include "framework/Afx.h"
#include "monitor/RunningWindowsVersion.h"
#include "monitor/WindowsEdition.h"

struct OsVersionText
{
    CString edition;  // e.g. Microsoft Windows 7 Ultimate Edition Service Pack 1 (build 7601), 64-bit
    CString numbers;  // e.g. 6.1.7601 Service Pack 1 Build 7601
};

// Gathers the facts from the running Windows and fills both texts; false (texts left as
// they were) when Windows cannot tell its version or is older than 5.0.
bool GetWindowsVersionText(OsVersionText& text);

// The facts that GetWindowsVersionText decides from, with the version that really runs;
// false when Windows cannot tell its version.
bool GatherWindowsVersionFacts(WindowsVersionFacts& facts,
                               const WindowsVersionCalls& calls = SystemWindowsVersionCalls());
