// The System page's facts: computer name (WMI), Windows edition and version numbers,
// processor name (registry). The installed memory comes from the sampling step.
#pragma once

#include "monitor/MonitorView.h"

// Gathers the facts into astrSysInfo (entries 0, 1, 2, 3, 5 and 6) and shows them in
// controls 1022, 1024, 1026 and 1030. Leaves everything as it was when WMI cannot be
// reached. Runs on the dialog's thread; leaves its COM apartment as it found it.
void RefreshSystemInformation(IMonitorView& view, SysInfoStrings& astrSysInfo);
