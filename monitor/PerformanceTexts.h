// The sampling step of the Engine and System pages: processor usage (control 1036),
// memory usage (1037) and installed memory (1028).
#pragma once

#include "monitor/MonitorView.h"
#include "monitor/PerfCounters.h"

// Where the installed and available physical memory come from; tests give their own.
class IMemoryStatus
{
public:
    virtual void Read(MEMORYSTATUSEX& status) = 0;

protected:
    ~IMemoryStatus() = default;
};

// GlobalMemoryStatusEx.
IMemoryStatus& SystemMemoryStatus();

// Collects the counters once and shows the new texts. A reading that fails keeps the
// text it would have replaced; the installed memory is shown on every step.
void UpdatePerformanceTexts(IMonitorView& view, CPerfCounters& perfCounters, int nCpuCounter,
                            int nMemCounter, SysInfoStrings& astrSysInfo,
                            IMemoryStatus& memoryStatus = SystemMemoryStatus());
