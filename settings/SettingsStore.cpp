#include "settings/SettingsStore.h"

#include "framework/Handle.h"

#include <vector>

namespace {

// Longest value data the reader accepts: 511 characters and their terminating zero.
constexpr DWORD kMaxValueBytes = 1024;

// A failed open or create leaves no handle in the owner: the out-parameter is not trusted
// after a failure.
bool OpenKey(CRegistryKey& key, HKEY hRoot, LPCWSTR pszSubKey, REGSAM access)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, pszSubKey, 0, access, &hKey) != ERROR_SUCCESS)
        return false;
    key.Reset(hKey);
    return true;
}

bool CreateKey(CRegistryKey& key, HKEY hRoot, LPCWSTR pszSubKey)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyW(hRoot, pszSubKey, &hKey) != ERROR_SUCCESS)
        return false;
    key.Reset(hKey);
    return true;
}

}  // namespace

CString ReadRegString(HKEY hRoot, LPCWSTR pszSubKey, LPCWSTR pszValueName)
{
    CRegistryKey key;
    if (!OpenKey(key, hRoot, pszSubKey, KEY_READ | KEY_WOW64_64KEY))
        return CString();

    // Zeroed beyond the bytes the query may fill, so data stored without its own
    // terminating zero still ends inside the buffer.
    std::vector<wchar_t> buffer(kMaxValueBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD dataSize = kMaxValueBytes;
    if (RegQueryValueExW(key.Get(), pszValueName, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(buffer.data()), &dataSize) != ERROR_SUCCESS)
        return CString();
    return CString(buffer.data());
}

BOOL WriteUserRegString(LPCWSTR pszSubKey, LPCWSTR pszValueName, LPCWSTR pszValue)
{
    CRegistryKey key;
    if (!OpenKey(key, HKEY_CURRENT_USER, pszSubKey, KEY_WRITE | KEY_WOW64_64KEY) &&
        !CreateKey(key, HKEY_CURRENT_USER, pszSubKey))
        return FALSE;

    const DWORD dataSize = static_cast<DWORD>((lstrlenW(pszValue) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), pszValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(pszValue), dataSize) == ERROR_SUCCESS;
}
