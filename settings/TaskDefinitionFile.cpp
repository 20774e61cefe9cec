#include "settings/TaskDefinitionFile.h"

#include <objbase.h>
#include <sddl.h>

namespace {

// Full access for SYSTEM and the Administrators, nothing inherited from the folder: the
// user's own unelevated programs, which may write in the temporary folder, cannot open it.
const wchar_t kOnlyAdministrators[] = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)";
const wchar_t kByteOrderMark = 0xFEFF;
// A name taken already (by chance, or by someone who guessed it) makes us draw another.
constexpr int kNameAttempts = 4;

CString FreshFileName(const CString& strFolder)
{
    GUID guid;
    wchar_t text[40] = L"";
    if (FAILED(CoCreateGuid(&guid)) || StringFromGUID2(guid, text, 40) == 0)
        return CString();
    return strFolder + L"\\Vexra-" + text + L".xml";
}

bool WriteAll(HANDLE file, const void* data, DWORD dwLength)
{
    DWORD written = 0;
    return WriteFile(file, data, dwLength, &written, nullptr) && written == dwLength;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

CTaskDefinitionFile::~CTaskDefinitionFile()
{
    Remove();
}

bool CTaskDefinitionFile::Create(const CString& strFolder, const std::u16string& text)
{
    Remove();
    if (strFolder.IsEmpty() || text.empty())
        return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt)
    {
        const CString path = FreshFileName(strFolder);
        if (path.IsEmpty())
            return false;
        BY_HANDLE_FILE_INFORMATION written;
        if (CreateWritten(path, text, written) && HoldForReading(written))
            return true;
        const bool nameTaken = m_strPath.IsEmpty() && GetLastError() == ERROR_FILE_EXISTS;
        Remove();
        if (!nameTaken)
            return false;
    }
    return false;
}

bool CTaskDefinitionFile::CreateWritten(const CString& strPath, const std::u16string& text,
                                        BY_HANDLE_FILE_INFORMATION& written)
{
    COwned<CLocalMemoryTraits> descriptor;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kOnlyAdministrators, SDDL_REVISION_1,
                                                              descriptor.ReceiveVoid(), nullptr))
        return false;
    SECURITY_ATTRIBUTES security = {sizeof(security), descriptor.Get(), FALSE};
    // CREATE_NEW: never a file (or a link) that someone put at this name before us. No
    // sharing while it is written.
    CFileHandle file(CreateFileW(strPath, GENERIC_WRITE, 0, &security, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY,
                                 nullptr));
    if (!file)
        return false;
    m_strPath = strPath;
    const DWORD textLength = static_cast<DWORD>(text.size() * sizeof(char16_t));
    return WriteAll(file.Get(), &kByteOrderMark, sizeof(kByteOrderMark)) &&
           WriteAll(file.Get(), text.data(), textLength) && FlushFileBuffers(file.Get()) &&
           GetFileInformationByHandle(file.Get(), &written);
}

bool CTaskDefinitionFile::HoldForReading(const BY_HANDLE_FILE_INFORMATION& written)
{
    // The writing handle had to go first: a reader that denies writers (as the tool may)
    // could not open the file beside it. The held handle has read access only and shares
    // nothing but reading, so from now on the file cannot be written, deleted or renamed.
    // In the moment between the two handles only an administrator could open the file,
    // and renaming it away and putting another in its place is caught by its identity.
    m_heldFile.Reset(CreateFileW(m_strPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION held;
    return m_heldFile && GetFileInformationByHandle(m_heldFile.Get(), &held) && SameFile(held, written);
}

void CTaskDefinitionFile::Remove()
{
    m_heldFile.Reset();
    if (!m_strPath.IsEmpty())
        DeleteFileW(m_strPath);
    m_strPath.Empty();
}

CString TemporaryFolder()
{
    wchar_t folder[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return CString();
    if (folder[length - 1] == L'\\')
        folder[--length] = L'\0';
    return CString(folder, static_cast<int>(length));
}
