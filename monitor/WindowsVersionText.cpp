#include "monitor/WindowsVersionText.h"

#include "monitor/Utf16Text.h"

namespace {

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

// Both functions are looked up at run time: the native information tells a 32-bit
// program that it runs on 64-bit Windows, and GetProductInfo exists from Vista on.
template <typename Fn>
Fn Kernel32Function(const char* name)
{
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return kernel32 ? reinterpret_cast<Fn>(GetProcAddress(kernel32, name)) : nullptr;
}

WORD ProcessorArchitecture()
{
    SYSTEM_INFO info;
    ZeroMemory(&info, sizeof(info));
    if (auto getNative = Kernel32Function<GetNativeSystemInfoFn>("GetNativeSystemInfo"))
        getNative(&info);
    else
        GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

}  // namespace

bool GatherWindowsVersionFacts(WindowsVersionFacts& facts, const WindowsVersionCalls& calls)
{
    OSVERSIONINFOEXW version;
    if (!ReadRunningWindowsVersion(version, calls))
        return false;

    facts.platformId = version.dwPlatformId;
    facts.majorVersion = version.dwMajorVersion;
    facts.minorVersion = version.dwMinorVersion;
    facts.buildNumber = version.dwBuildNumber;
    facts.csdVersion = ToU16String(version.szCSDVersion);
    facts.servicePackMajor = version.wServicePackMajor;
    facts.suiteMask = version.wSuiteMask;
    facts.productType = version.wProductType;
    facts.processorArchitecture = ProcessorArchitecture();
    facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    if (version.dwMajorVersion >= 6)
    {
        if (auto getProductInfo = Kernel32Function<GetProductInfoFn>("GetProductInfo"))
        {
            DWORD type = 0;
            getProductInfo(version.dwMajorVersion, version.dwMinorVersion, 0, 0, &type);
            facts.hasProductInfo = true;
            facts.productInfoType = type;
        }
    }
    return true;
}

bool GetWindowsVersionText(OsVersionText& text)
{
    WindowsVersionFacts facts;
    if (!GatherWindowsVersionFacts(facts))
        return false;
    std::u16string edition;
    std::u16string numbers;
    if (!BuildWindowsVersionText(facts, edition, numbers))
        return false;
    text.edition = ToCString(edition);
    text.numbers = ToCString(numbers);
    return true;
}
