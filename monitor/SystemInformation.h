// The System page's facts: computer name (WMI), Windows edition and version numbers,
// processor name (registry). The installed memory comes from the sampling step.
#pragma once

#include "monitor/MonitorView.h"
#include "monitor/SystemFacts.h"

// The facts as Windows gives them: WMI's Win32_ComputerSystem, the registry, the version.
// Each WMI call is bounded, so a gathering ends even when the WMI service hangs. Writes
// the three diagnostic lines of a failed connection, proxy setting or query to standard
// output.
class CWmiSystemFactsSource : public ISystemFactsSource
{
public:
    bool Gather(SystemFactValues& facts) override;
};

// Puts the gathered facts into astrSysInfo (entries 0, 1, 2, 3, 5 and 6) and shows them in
// controls 1022, 1024, 1026 and 1030; gathers them first when that has not been done yet.
// While the facts are not known (WMI cannot be reached, or has not answered within the
// bound) everything stays as it was.
void RefreshSystemInformation(IMonitorView& view, SysInfoStrings& astrSysInfo, CSystemFacts& facts);
