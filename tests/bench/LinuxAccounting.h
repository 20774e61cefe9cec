// Under Wine, GetProcessTimes knows nothing of other processes: each Windows process is a
// Linux process, and Linux's own accounting of it (/proc, seen through drive Z:) is the
// operating system's figure. On Windows the benchmark uses GetProcessTimes instead.
#pragma once

#include <string>
#include <vector>

namespace bench {

// Whether this runs under Wine with the Linux /proc reachable.
bool LinuxAccountingAvailable();

// Linux processes of this Wine prefix (their WINEPREFIX is ours) whose first argument names
// `fileName` (case ignored), with that many arguments (0: any number).
std::vector<int> LinuxProcessesNamed(const std::wstring& fileName, int argumentCount = 0);

// The wineserver of this prefix, 0 when it cannot be found.
int LinuxWineServer();

// User plus system time Linux has accounted to the process, in milliseconds (0 when gone).
double LinuxCpuMs(int unixPid);

}  // namespace bench
