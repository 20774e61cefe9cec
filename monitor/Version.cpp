#include "monitor/Version.h"

#include "monitor/Utf16Text.h"
#include "monitor/VersionWalk.h"

#include <sys/stat.h>

#include <cstring>
#include <cwchar>

namespace {

// The fixed file information is this long in every record.
constexpr size_t kFixedInfoBytes = sizeof(VS_FIXEDFILEINFO);
static_assert(kFixedInfoBytes == 52, "VS_FIXEDFILEINFO is 52 bytes");

CString OwnExecutablePath()
{
    wchar_t path[520] = L"";
    GetModuleFileNameW(nullptr, path, 519);
    return CString(path);
}

__time64_t ModificationTime(const CString& strPath)
{
    struct _stat64 status;
    return _wstat64(strPath, &status) == 0 ? status.st_mtime : 0;
}

// Copies strings into a list that takes the place of what the slot held.
void ReplaceList(CStringArray** ppSlot, const std::vector<std::u16string>& items)
{
    if (ppSlot == nullptr)
        return;
    delete *ppSlot;
    *ppSlot = new CStringArray;
    for (const std::u16string& item : items)
        (*ppSlot)->Add(ToCString(item));
}

DWORD PairAt(const BYTE* pPairs, UINT nIndex)
{
    DWORD pair = 0;
    std::memcpy(&pair, pPairs + nIndex * sizeof(DWORD), sizeof(DWORD));
    return pair;
}

}  // namespace

CVersion::CVersion(LPCWSTR pszPath)
    : m_strPath(pszPath != nullptr && pszPath[0] != L'\0' ? CString(pszPath) : OwnExecutablePath())
{
}

CVersion::~CVersion()
{
    delete[] m_pData;
    delete m_pKeys;
    delete m_pValues;
    delete m_pTranslations;
}

BOOL CVersion::ReadVersionInfo()
{
    m_tmModified = ModificationTime(m_strPath);
    if (m_tmModified == 0)
        return FALSE;

    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(m_strPath, &dwHandle);
    if (dwSize == 0 || !TakeRecord(nullptr, dwSize))
        return FALSE;
    if (!GetFileVersionInfoW(m_strPath, dwHandle, dwSize, m_pData))
        return FALSE;
    return InterpretRecord();
}

BOOL CVersion::ReadVersionRecord(const void* pRecord, DWORD dwSize)
{
    if (pRecord == nullptr || dwSize == 0 || !TakeRecord(pRecord, dwSize))
        return FALSE;
    return InterpretRecord();
}

BOOL CVersion::TakeRecord(const void* pRecord, DWORD dwSize)
{
    delete[] m_pData;
    m_pData = new BYTE[static_cast<size_t>(dwSize) + 1]();
    m_dwDataSize = dwSize;
    if (pRecord != nullptr)
        std::memcpy(m_pData, pRecord, dwSize);
    return TRUE;
}

BOOL CVersion::InterpretRecord()
{
    CString strTableName;
    WalkVersionBlock(strTableName, FALSE, &m_pKeys, &m_pValues, &m_pTranslations);
    if (!QueryFixedInfo(m_fixedInfo))
        return FALSE;

    m_wFileVersion[0] = HIWORD(m_fixedInfo.dwFileVersionMS);
    m_wFileVersion[1] = LOWORD(m_fixedInfo.dwFileVersionMS);
    m_wFileVersion[2] = HIWORD(m_fixedInfo.dwFileVersionLS);
    m_wFileVersion[3] = LOWORD(m_fixedInfo.dwFileVersionLS);
    m_wProductVersion[0] = HIWORD(m_fixedInfo.dwProductVersionMS);
    m_wProductVersion[1] = LOWORD(m_fixedInfo.dwProductVersionMS);
    m_wProductVersion[2] = HIWORD(m_fixedInfo.dwProductVersionLS);
    m_wProductVersion[3] = LOWORD(m_fixedInfo.dwProductVersionLS);
    m_dwFileFlags = m_fixedInfo.dwFileFlags;
    m_dwFileOS = m_fixedInfo.dwFileOS;
    m_dwFileType = m_fixedInfo.dwFileType;
    m_dwFileSubtype = m_fixedInfo.dwFileSubtype;

    CString strChosen;
    ChooseTranslation(strChosen);
    QueryString(L"CompanyName", m_strCompanyName);
    QueryString(L"FileDescription", m_strFileDescription);
    QueryString(L"LegalCopyright", m_strLegalCopyright);
    QueryString(L"ProductName", m_strProductName);
    QueryString(L"Build Date", m_strBuildDate);
    return TRUE;
}

BOOL CVersion::QueryValue(LPCWSTR pszSubBlock, const BYTE*& pResult, UINT& uLength, size_t& cbAvailable)
{
    LPVOID pValue = nullptr;
    uLength = 0;
    if (m_pData == nullptr || !VerQueryValueW(m_pData, pszSubBlock, &pValue, &uLength) || pValue == nullptr)
        return FALSE;
    const BYTE* pBytes = static_cast<const BYTE*>(pValue);
    const BYTE* pEnd = m_pData + m_dwDataSize;
    if (pBytes < m_pData || pBytes >= pEnd)
        return FALSE;
    pResult = pBytes;
    cbAvailable = static_cast<size_t>(pEnd - pBytes);
    return TRUE;
}

BOOL CVersion::QueryFixedInfo(VS_FIXEDFILEINFO& fixedInfo)
{
    ZeroMemory(&fixedInfo, sizeof(fixedInfo));
    const BYTE* pValue = nullptr;
    UINT uLength = 0;
    size_t cbAvailable = 0;
    if (!QueryValue(L"\\", pValue, uLength, cbAvailable))
        return FALSE;
    std::memcpy(&fixedInfo, pValue, cbAvailable < kFixedInfoBytes ? cbAvailable : kFixedInfoBytes);
    return TRUE;
}

BOOL CVersion::ChooseTranslation(CString& strTranslation)
{
    return ChooseTranslationFor(GetUserDefaultLangID(), strTranslation);
}

BOOL CVersion::ChooseTranslationFor(LANGID wUserLanguage, CString& strTranslation)
{
    strTranslation.Empty();
    if (m_pData == nullptr)
        return FALSE;
    m_dwTranslation = 0;

    const BYTE* pPairs = nullptr;
    UINT uLength = 0;
    size_t cbAvailable = 0;
    if (QueryValue(L"\\VarFileInfo\\Translation", pPairs, uLength, cbAvailable))
    {
        const UINT cbPairs = uLength < cbAvailable ? uLength : static_cast<UINT>(cbAvailable);
        DWORD dwFound = 0;
        if (FindTranslation(wUserLanguage, pPairs, cbPairs, dwFound, TRUE) ||
            FindTranslation(LANG_NEUTRAL, pPairs, cbPairs, dwFound, TRUE) ||
            FindTranslation(LANG_ENGLISH, pPairs, cbPairs, dwFound, TRUE))
            m_dwTranslation = dwFound;
        else if (cbPairs >= sizeof(DWORD))
            m_dwTranslation = PairAt(pPairs, 0);
    }
    m_strTranslation.Format(L"%04X%04X", LOWORD(m_dwTranslation), HIWORD(m_dwTranslation));
    strTranslation = m_strTranslation;

    // A translation whose table is missing or incomplete is no use: take the record's
    // first table instead.
    CString strProbe;
    if (!QueryString(L"FileVersion", strProbe) || !QueryString(L"FileDescription", strProbe))
        UseFirstTable(strTranslation);
    return TRUE;
}

void CVersion::UseFirstTable(CString& strTranslation)
{
    WalkVersionBlock(strTranslation, TRUE);
    const unsigned long n = wcstoul(strTranslation, nullptr, 16);
    // The table name reads language then code page; m_dwTranslation holds the language
    // in its low word.
    m_dwTranslation = MAKELONG(HIWORD(n), LOWORD(n));
    m_strTranslation.Format(L"%04X%04X", HIWORD(n), LOWORD(n));
}

BOOL CVersion::QueryString(LPCWSTR pszKey, CString& strValue)
{
    strValue.Empty();
    if (m_pData == nullptr)
        return FALSE;
    CString strSubBlock;
    strSubBlock.Format(L"\\StringFileInfo\\%s\\%s", m_strTranslation, pszKey);

    const BYTE* pValue = nullptr;
    UINT uLength = 0;
    size_t cbAvailable = 0;
    if (!QueryValue(strSubBlock, pValue, uLength, cbAvailable))
        return FALSE;
    // A string node without a value gives a length of 0 and a pointer to whatever
    // follows it. Otherwise the text ends at its zero or, in a record that lacks it, at
    // the buffer's end.
    const size_t nMaxChars = uLength == 0 ? 0 : cbAvailable / sizeof(wchar_t);
    size_t nChars = 0;
    const wchar_t* pText = reinterpret_cast<const wchar_t*>(pValue);
    while (nChars < nMaxChars && pText[nChars] != L'\0')
        ++nChars;
    strValue = CString(pText, static_cast<int>(nChars));
    return TRUE;
}

void CVersion::WalkVersionBlock(CString& strTableName, BOOL bFirstTableOnly, CStringArray** ppKeys,
                                CStringArray** ppValues, CStringArray** ppTranslations)
{
    strTableName.Empty();
    if (m_pData == nullptr)
        return;
    VersionWalkResult result;
    WalkVersionRecord(m_pData, m_dwDataSize, bFirstTableOnly != FALSE, result);
    strTableName = ToCString(result.tableName);
    if (bFirstTableOnly)
        return;
    ReplaceList(ppKeys, result.keys);
    ReplaceList(ppValues, result.values);
    ReplaceList(ppTranslations, result.translations);
}

BOOL CVersion::FindTranslation(LANGID wLanguage, const void* pPairs, UINT cbPairs, DWORD& dwTranslation,
                               BOOL bAllowPrimary)
{
    const BYTE* pBytes = static_cast<const BYTE*>(pPairs);
    const UINT nPairs = pPairs != nullptr ? cbPairs / sizeof(DWORD) : 0;
    for (UINT i = 0; i < nPairs; ++i)
    {
        if (LOWORD(PairAt(pBytes, i)) == wLanguage)
        {
            dwTranslation = PairAt(pBytes, i);
            return TRUE;
        }
    }
    if (!bAllowPrimary)
        return FALSE;
    for (UINT i = 0; i < nPairs; ++i)
    {
        if ((LOWORD(PairAt(pBytes, i)) & 0xFF) == (wLanguage & 0xFF))
        {
            dwTranslation = PairAt(pBytes, i);
            return TRUE;
        }
    }
    return FALSE;
}
