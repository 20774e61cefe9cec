#include "PinnedWindowsVersion.h"

namespace e2e {
namespace {

const wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kWindowsControlKey[] = L"System\\CurrentControlSet\\Control\\Windows";

LSTATUS WriteValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, type, data, bytes);
}

}  // namespace

PinnedWindowsVersion::PinnedWindowsVersion(DWORD buildNumber)
{
    const std::wstring build = std::to_wstring(buildNumber);
    m_pinned = Save(kCurrentVersionKey, L"CSDVersion") && Save(kCurrentVersionKey, L"CurrentBuild") &&
               Save(kCurrentVersionKey, L"CurrentBuildNumber") &&
               Save(kCurrentVersionKey, L"CurrentMajorVersionNumber") &&
               Save(kCurrentVersionKey, L"CurrentMinorVersionNumber") &&
               Save(kCurrentVersionKey, L"CurrentVersion") && Save(kCurrentVersionKey, L"ProductName") &&
               Save(kWindowsControlKey, L"CSDVersion");
    // The values winecfg /v win10 writes, with the build asked for.
    m_pinned = m_pinned && SetText(kCurrentVersionKey, L"CSDVersion", L"") &&
               SetText(kCurrentVersionKey, L"CurrentBuild", build) &&
               SetText(kCurrentVersionKey, L"CurrentBuildNumber", build) &&
               SetNumber(kCurrentVersionKey, L"CurrentMajorVersionNumber", 10) &&
               SetNumber(kCurrentVersionKey, L"CurrentMinorVersionNumber", 0) &&
               SetText(kCurrentVersionKey, L"CurrentVersion", L"10.0") &&
               SetText(kCurrentVersionKey, L"ProductName", L"Microsoft Windows 10") &&
               SetNumber(kWindowsControlKey, L"CSDVersion", 0);
}

PinnedWindowsVersion::~PinnedWindowsVersion()
{
    for (const SavedValue& saved : m_saved)
    {
        if (saved.existed)
            WriteValue(saved.key, saved.name, saved.type, saved.data.data(),
                       static_cast<DWORD>(saved.data.size()));
        else
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, saved.key, saved.name);
    }
}

bool PinnedWindowsVersion::Save(const wchar_t* key, const wchar_t* name)
{
    SavedValue saved;
    saved.key = key;
    saved.name = name;
    DWORD bytes = 0;
    const LSTATUS sized = RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND,
                                       &saved.type, nullptr, &bytes);
    if (sized == ERROR_FILE_NOT_FOUND)
    {
        m_saved.push_back(saved);
        return true;
    }
    if (sized != ERROR_SUCCESS)
        return false;
    saved.data.resize(bytes);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_ANY | RRF_NOEXPAND, &saved.type,
                     saved.data.data(), &bytes) != ERROR_SUCCESS)
        return false;
    saved.data.resize(bytes);
    saved.existed = true;
    m_saved.push_back(saved);
    return true;
}

bool PinnedWindowsVersion::SetText(const wchar_t* key, const wchar_t* name, const std::wstring& text)
{
    return WriteValue(key, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool PinnedWindowsVersion::SetNumber(const wchar_t* key, const wchar_t* name, DWORD number)
{
    return WriteValue(key, name, REG_DWORD, &number, sizeof(number)) == ERROR_SUCCESS;
}

}  // namespace e2e
