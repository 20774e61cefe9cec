#include "monitor/RunningWindowsVersion.h"

namespace {

constexpr LONG kStatusSuccess = 0;

void PrepareVersionInfo(OSVERSIONINFOEXW& version)
{
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
}

}  // namespace

WindowsVersionCalls SystemWindowsVersionCalls()
{
    WindowsVersionCalls calls = {};
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
        calls.rtlGetVersion = reinterpret_cast<WindowsVersionCalls::RtlGetVersionFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    calls.getVersionEx = &GetVersionExW;
    return calls;
}

bool ReadRunningWindowsVersion(OSVERSIONINFOEXW& version, const WindowsVersionCalls& calls)
{
    auto* info = reinterpret_cast<OSVERSIONINFOW*>(&version);
    if (calls.rtlGetVersion != nullptr)
    {
        PrepareVersionInfo(version);
        if (calls.rtlGetVersion(info) == kStatusSuccess)
            return true;
    }
    PrepareVersionInfo(version);
    return calls.getVersionEx != nullptr && calls.getVersionEx(info) != FALSE;
}
