// Makes every Wine process started from now on see another Windows, the way
// `winecfg /v win10` does it: Wine takes the version from the values under
// HKLM\Software\Microsoft\Windows NT\CurrentVersion (and the service-pack number under
// HKLM\System\CurrentControlSet\Control\Windows) when nothing else pins it. Processes that
// already run keep the version they started with. The old values come back when the
// object goes, so later tests find the prefix's own Windows 7 again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class PinnedWindowsVersion
{
public:
    // Windows 10.0 of this build: 18362 is what winecfg gives a Windows 10; 22631 makes a
    // Windows 11 (RtlGetVersion then reports 10.0.22631, GetVersionExW still 6.2).
    explicit PinnedWindowsVersion(DWORD buildNumber);
    ~PinnedWindowsVersion();
    PinnedWindowsVersion(const PinnedWindowsVersion&) = delete;
    PinnedWindowsVersion& operator=(const PinnedWindowsVersion&) = delete;

    // False when a value could not be written; the test cannot rely on the version then.
    bool IsPinned() const { return m_pinned; }

private:
    struct SavedValue
    {
        const wchar_t* key = nullptr;
        const wchar_t* name = nullptr;
        bool existed = false;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };

    bool Save(const wchar_t* key, const wchar_t* name);
    bool SetText(const wchar_t* key, const wchar_t* name, const std::wstring& text);
    bool SetNumber(const wchar_t* key, const wchar_t* name, DWORD number);

    std::vector<SavedValue> m_saved;
    bool m_pinned = false;
};

}  // namespace e2e
