// Reads the version record of an executable: its fixed file information, the strings of
// the string table that suits the user's language, and every string and translation of
// the record. The record belongs to whatever program the user runs, so it is treated as
// untrusted bytes.
#pragma once

#include "framework/Afx.h"

#include <ctime>

class CVersion
{
public:
    // A null or empty path means the program's own executable.
    explicit CVersion(LPCWSTR pszPath = nullptr);
    virtual ~CVersion();
    CVersion(const CVersion&) = delete;
    CVersion& operator=(const CVersion&) = delete;

    // Reads the file; TRUE when its fixed file information was found.
    BOOL ReadVersionInfo();
    // Reads a record already in memory, as ReadVersionInfo does after loading the file.
    BOOL ReadVersionRecord(const void* pRecord, DWORD dwSize);

    BOOL QueryFixedInfo(VS_FIXEDFILEINFO& fixedInfo);
    // Chooses the string table for the user's language.
    BOOL ChooseTranslation(CString& strTranslation);
    BOOL ChooseTranslationFor(LANGID wUserLanguage, CString& strTranslation);
    // One string of the chosen table.
    BOOL QueryString(LPCWSTR pszKey, CString& strValue);
    // Walks the record by hand. Each list slot given must hold null or an array this
    // object owns; it receives a new array with what the walk collected.
    void WalkVersionBlock(CString& strTableName, BOOL bFirstTableOnly, CStringArray** ppKeys = nullptr,
                          CStringArray** ppValues = nullptr, CStringArray** ppTranslations = nullptr);
    // Searches the language/code-page pairs for the language: exactly first, then (with
    // bAllowPrimary) by the low 8 bits, the primary language.
    BOOL FindTranslation(LANGID wLanguage, const void* pPairs, UINT cbPairs, DWORD& dwTranslation,
                         BOOL bAllowPrimary);

    CStringArray* m_pKeys = nullptr;          // "TABLE|Key" for every string of every table
    CStringArray* m_pValues = nullptr;        // the value of each key, same order
    CStringArray* m_pTranslations = nullptr;  // each Translation pair as "%04X%04X"
    BYTE* m_pData = nullptr;                  // the record, one zero byte beyond its size
    DWORD m_dwDataSize = 0;
    VS_FIXEDFILEINFO m_fixedInfo = {};
    __time64_t m_tmModified = 0;              // the file's modification time; 0 when unknown
    WORD m_wFileVersion[4] = {};
    WORD m_wProductVersion[4] = {};
    DWORD m_dwFileFlags = 0;
    DWORD m_dwFileOS = 0;
    DWORD m_dwFileType = 0;
    DWORD m_dwFileSubtype = 0;
    DWORD m_dwTranslation = 0;                // language in the low word, code page in the high
    CString m_strPath;
    CString m_strCompanyName;
    CString m_strFileDescription;
    CString m_strLegalCopyright;
    CString m_strProductName;
    CString m_strTranslation;                 // chosen table's name, e.g. 040904B0
    CString m_strBuildDate;

private:
    BOOL TakeRecord(const void* pRecord, DWORD dwSize);
    BOOL InterpretRecord();
    // VerQueryValueW, accepting only a result that lies inside the record's buffer;
    // cbAvailable is how many bytes from the result to the buffer's end.
    BOOL QueryValue(LPCWSTR pszSubBlock, const BYTE*& pResult, UINT& uLength, size_t& cbAvailable);
    void UseFirstTable(CString& strTranslation);
};
