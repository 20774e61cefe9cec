// The file that hands the task definition to the task tool: what it holds, who may open
// it, and that it is gone however its life ends.
#include <gtest/gtest.h>

#include "ParsedTaskDefinition.h"
#include "framework/Handle.h"
#include "monitor/CStringPrint.h"
#include "settings/LogonTaskDefinition.h"
#include "settings/TaskDefinitionFile.h"

#include <aclapi.h>
#include <sddl.h>

#include <optional>

#include <vector>

namespace {

const char16_t kText[] = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\u00FC</a>";

bool Exists(const CString& path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// The bytes as a strict reader (one that lets nobody write beside it) reads them; nullopt
// when it cannot open the file.
std::optional<std::vector<BYTE>> ReadAsStrictReader(const CString& path)
{
    CFileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::vector<BYTE> bytes(GetFileSize(file.Get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

CString SidText(PSID sid)
{
    COwned<CLocalMemoryTraits> text;
    if (!ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text.Receive())))
        return CString();
    return CString(static_cast<LPCWSTR>(text.Get()));
}

bool RunsUnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

CString CurrentUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return CString();
    CKernelHandle owned(token);
    BYTE buffer[256];
    DWORD length = 0;
    if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &length))
        return CString();
    return SidText(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
}

// The accounts the file's DACL allows in, in its order; nullopt when it has none (or it
// cannot be read), which allows everyone.
std::optional<std::vector<CString>> GrantedSids(const CString& path)
{
    PACL dacl = nullptr;
    COwned<CLocalMemoryTraits> descriptor;
    if (GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.Receive())) != ERROR_SUCCESS ||
        dacl == nullptr)
        return std::nullopt;
    std::vector<CString> granted;
    for (DWORD i = 0; i < dacl->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
            return std::nullopt;
        granted.push_back(ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? SidText(&ace->SidStart)
                                                                         : CString(L"(not an allowing entry)"));
    }
    return granted;
}

class TaskDefinitionFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_strFolder = TemporaryFolder();
        ASSERT_FALSE(m_strFolder.IsEmpty());
    }

    CString m_strFolder;
};

}  // namespace

TEST_F(TaskDefinitionFileTest, Create_WritesUtf16WithByteOrderMarkThatAStrictReaderCanRead)
{
    CTaskDefinitionFile file;
    ASSERT_TRUE(file.Create(m_strFolder, kText));
    ASSERT_EQ(file.Path().Left(m_strFolder.GetLength() + 1), m_strFolder + L"\\");

    const std::optional<std::vector<BYTE>> bytes = ReadAsStrictReader(file.Path());
    ASSERT_TRUE(bytes) << "a reader that denies writers cannot open the held file: error " << GetLastError();
    const std::u16string text(kText);
    ASSERT_EQ(bytes->size(), 2 + text.size() * 2);
    EXPECT_EQ((*bytes)[0], 0xFF);
    EXPECT_EQ((*bytes)[1], 0xFE);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(bytes->data() + 2), text.size()), text);
}

TEST_F(TaskDefinitionFileTest, Create_LogonTaskDefinition_ParsesFromTheFile)
{
    const wchar_t program[] = L"C:\\Tom & Jerry\\VEXRA-by-Teskor.exe";
    CTaskDefinitionFile file;
    ASSERT_TRUE(file.Create(m_strFolder, MakeLogonTaskDefinition(reinterpret_cast<const char16_t*>(program))));
    const CParsedTaskDefinition task(std::wstring(file.Path().GetString()));
    ASSERT_TRUE(task.IsParsed()) << task.Error();
    EXPECT_EQ(task.Text(L"/t:Task/t:Actions/t:Exec/t:Command"), program);
}

TEST_F(TaskDefinitionFileTest, WhileHeld_NobodyCanWriteDeleteOrRenameIt)
{
    CTaskDefinitionFile file;
    ASSERT_TRUE(file.Create(m_strFolder, kText));

    CFileHandle writer(CreateFileW(file.Path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer) << "the held file could be opened for writing";
    EXPECT_FALSE(DeleteFileW(file.Path())) << "the held file could be deleted";
    const CString moved = file.Path() + L".moved";
    EXPECT_FALSE(MoveFileW(file.Path(), moved)) << "the held file could be renamed";
    DeleteFileW(moved);
    EXPECT_TRUE(Exists(file.Path()));
}

TEST_F(TaskDefinitionFileTest, Create_OnlySystemAndAdministratorsMayOpenIt)
{
    CTaskDefinitionFile file;
    ASSERT_TRUE(file.Create(m_strFolder, kText));
    const std::optional<std::vector<CString>> granted = GrantedSids(file.Path());
    ASSERT_TRUE(granted) << "the file has no DACL that could be read: everyone may open it";

    // Wine keeps no DACL of its own: it turns the one a file is created with into Unix
    // permissions and reports them back as SYSTEM and the file's owner, the user (a file
    // made with default security also lets Everyone read it there).
    const std::vector<CString> expected = RunsUnderWine() ? std::vector<CString>{L"S-1-5-18", CurrentUserSid()}
                                                          : std::vector<CString>{L"S-1-5-18", L"S-1-5-32-544"};
    EXPECT_EQ(*granted, expected) << "grants beyond SYSTEM and the Administrators";
}

TEST_F(TaskDefinitionFileTest, End_DeletesTheFile)
{
    CString path;
    {
        CTaskDefinitionFile file;
        ASSERT_TRUE(file.Create(m_strFolder, kText));
        path = file.Path();
        ASSERT_TRUE(Exists(path));
    }
    EXPECT_FALSE(Exists(path));
}

TEST_F(TaskDefinitionFileTest, CreateAgain_DeletesTheFirstAndTakesAFreshName)
{
    CTaskDefinitionFile file;
    ASSERT_TRUE(file.Create(m_strFolder, kText));
    const CString first = file.Path();
    ASSERT_TRUE(file.Create(m_strFolder, kText));
    EXPECT_NE(file.Path(), first);
    EXPECT_FALSE(Exists(first));
    EXPECT_TRUE(Exists(file.Path()));
}

TEST_F(TaskDefinitionFileTest, Create_FolderThatDoesNotExistOrNoText_FailsAndHoldsNothing)
{
    CTaskDefinitionFile file;
    EXPECT_FALSE(file.Create(m_strFolder + L"\\vexra-no-such-folder", kText));
    EXPECT_TRUE(file.Path().IsEmpty());
    EXPECT_FALSE(file.Create(m_strFolder, std::u16string()));
    EXPECT_TRUE(file.Path().IsEmpty());
}
