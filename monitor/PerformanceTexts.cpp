#include "monitor/PerformanceTexts.h"

#include "monitor/MemoryTexts.h"
#include "monitor/Utf16Text.h"

namespace {

class CSystemMemoryStatus : public IMemoryStatus
{
public:
    void Read(MEMORYSTATUSEX& status) override { GlobalMemoryStatusEx(&status); }
};

void ShowCounterTexts(IMonitorView& view, CPerfCounters& perfCounters, int nCpuCounter,
                      int nMemCounter, SysInfoStrings& astrSysInfo)
{
    const LONG cpuPercent = perfCounters.GetCounterValue(nCpuCounter);
    const LONG memoryPercent = perfCounters.GetCounterValue(nMemCounter);
    // A failed reading (PERF_VALUE_UNREADABLE) keeps the text of the last good one
    // rather than showing the marker value.
    if (memoryPercent >= 0)
        astrSysInfo[SYSINFO_MEMORY_USAGE] = ToCString(UsageText(memoryPercent));
    if (cpuPercent >= 0)
    {
        view.SetControlText(IDC_ENGINE_CPU_USAGE, ToCString(UsageText(cpuPercent)));
        view.InvalidateControlArea(IDC_ENGINE_CPU_USAGE);
    }
}

}  // namespace

IMemoryStatus& SystemMemoryStatus()
{
    static CSystemMemoryStatus status;
    return status;
}

void UpdatePerformanceTexts(IMonitorView& view, CPerfCounters& perfCounters, int nCpuCounter,
                            int nMemCounter, SysInfoStrings& astrSysInfo, IMemoryStatus& memoryStatus)
{
    if (perfCounters.CollectQueryData() == ERROR_SUCCESS)
        ShowCounterTexts(view, perfCounters, nCpuCounter, nMemCounter, astrSysInfo);

    MEMORYSTATUSEX status;
    ZeroMemory(&status, sizeof(status));
    status.dwLength = sizeof(status);
    memoryStatus.Read(status);
    astrSysInfo[SYSINFO_INSTALLED_MEMORY] = ToCString(InstalledMemoryText(status.ullTotalPhys, status.ullAvailPhys));

    view.SetControlText(IDC_SYSTEM_MEMORY_VALUE, astrSysInfo[SYSINFO_INSTALLED_MEMORY]);
    view.SetControlText(IDC_ENGINE_MEMORY_USAGE, astrSysInfo[SYSINFO_MEMORY_USAGE]);
    view.InvalidateControlArea(IDC_SYSTEM_MEMORY_VALUE);
    view.InvalidateControlArea(IDC_ENGINE_MEMORY_USAGE);
    view.UpdateNow();
}
