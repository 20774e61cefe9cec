#include "settings/SettingsStore.h"

#include <vector>

namespace {

// Longest value data the reader accepts: 511 characters and their terminating zero.
constexpr DWORD kMaxValueBytes = 1024;

class CRegKey
{
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey()
    {
        if (m_hKey != nullptr)
            RegCloseKey(m_hKey);
    }

    // A failed open or create leaves no handle behind for the destructor to close.
    bool Open(HKEY hRoot, LPCWSTR pszSubKey, REGSAM access)
    {
        return Keep(RegOpenKeyExW(hRoot, pszSubKey, 0, access, &m_hKey));
    }
    bool Create(HKEY hRoot, LPCWSTR pszSubKey)
    {
        return Keep(RegCreateKeyW(hRoot, pszSubKey, &m_hKey));
    }
    HKEY Get() const { return m_hKey; }

private:
    bool Keep(LONG status)
    {
        if (status == ERROR_SUCCESS)
            return true;
        m_hKey = nullptr;
        return false;
    }

    HKEY m_hKey = nullptr;
};

}  // namespace

CString ReadRegString(HKEY hRoot, LPCWSTR pszSubKey, LPCWSTR pszValueName)
{
    CRegKey key;
    if (!key.Open(hRoot, pszSubKey, KEY_READ | KEY_WOW64_64KEY))
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
    CRegKey key;
    if (!key.Open(HKEY_CURRENT_USER, pszSubKey, KEY_WRITE | KEY_WOW64_64KEY) &&
        !key.Create(HKEY_CURRENT_USER, pszSubKey))
        return FALSE;

    const DWORD dataSize = static_cast<DWORD>((lstrlenW(pszValue) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), pszValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(pszValue), dataSize) == ERROR_SUCCESS;
}
