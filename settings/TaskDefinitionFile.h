// The file that hands the logon task's definition to schtasks.exe. The elevated program
// writes it and the tool reads it by name, so nobody else may change it in between: it is
// a fresh file that only SYSTEM and the Administrators may open, and from its writing
// until the object goes it is held open for reading only, so that it can be neither
// written, nor deleted, nor renamed and replaced. Whatever happens, it is deleted when the
// object goes.
#pragma once

#include "framework/Afx.h"
#include "framework/Handle.h"

#include <string>

class CTaskDefinitionFile
{
public:
    CTaskDefinitionFile() = default;
    ~CTaskDefinitionFile();
    CTaskDefinitionFile(const CTaskDefinitionFile&) = delete;
    CTaskDefinitionFile& operator=(const CTaskDefinitionFile&) = delete;

    // Writes `text` as UTF-16 with a byte-order mark (what schtasks.exe reads) into a new
    // file of a fresh name in strFolder, and holds it. False when that failed; nothing is
    // left behind then.
    bool Create(const CString& strFolder, const std::u16string& text);

    // The file's full path; empty before Create succeeded.
    const CString& Path() const { return m_strPath; }

private:
    bool CreateWritten(const CString& strPath, const std::u16string& text, BY_HANDLE_FILE_INFORMATION& written);
    bool HoldForReading(const BY_HANDLE_FILE_INFORMATION& written);
    void Remove();

    CString m_strPath;        // set once a file of ours exists there
    CFileHandle m_heldFile;   // read access only, shared for reading only
};

// The user's temporary folder, without its closing backslash; empty when Windows cannot
// tell.
CString TemporaryFolder();
