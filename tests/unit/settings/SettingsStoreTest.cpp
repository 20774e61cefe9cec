// The registry store against Wine's real registry, under a key of the tests' own.
#include <gtest/gtest.h>

#include "settings/SettingsStore.h"
#include "monitor/CStringPrint.h"

namespace {

const wchar_t kTestRoot[] = L"Software\\VexraUnitTest";

bool KeyExists(LPCWSTR subKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class SettingsStoreTest : public testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
};

}  // namespace

TEST_F(SettingsStoreTest, ReadRegString_MissingKeyOrValue_GivesEmptyAndCreatesNothing)
{
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, L"Software\\VexraUnitTest\\Missing", L"Schedinfo").IsEmpty());
    EXPECT_FALSE(KeyExists(L"Software\\VexraUnitTest\\Missing"));
    EXPECT_FALSE(KeyExists(kTestRoot));

    ASSERT_TRUE(WriteUserRegString(kTestRoot, L"Other", L"x"));
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kTestRoot, L"Schedinfo").IsEmpty());
}

TEST_F(SettingsStoreTest, WriteUserRegString_MissingKey_CreatesKeyAndParentsAsRegSz)
{
    const wchar_t deepKey[] = L"Software\\VexraUnitTest\\Parent\\Child";
    ASSERT_TRUE(WriteUserRegString(deepKey, L"Schedinfo", L"2"));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, deepKey, L"Schedinfo"), L"2");

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, deepKey, L"Schedinfo", RRF_RT_ANY, &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 2 * sizeof(wchar_t)) << "the text and its terminating zero";

    // Writing again goes through the existing key and replaces the value.
    ASSERT_TRUE(WriteUserRegString(deepKey, L"Schedinfo", L"1"));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, deepKey, L"Schedinfo"), L"1");
}

TEST_F(SettingsStoreTest, ReadRegString_LengthLimit_511CharactersWhole512Empty)
{
    const CString longest(std::wstring(511, L'a').c_str());
    ASSERT_TRUE(WriteUserRegString(kTestRoot, L"Longest", longest));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, kTestRoot, L"Longest"), longest);

    ASSERT_TRUE(WriteUserRegString(kTestRoot, L"TooLong", CString(std::wstring(512, L'b').c_str())));
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, kTestRoot, L"TooLong").IsEmpty());
}

TEST_F(SettingsStoreTest, ReadRegString_DataWithoutTerminator_EndsInsideTheBuffer)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kTestRoot, &key), ERROR_SUCCESS);
    // A binary value that fills all 1024 bytes with no zero, and one with a zero inside.
    const CString full(std::wstring(512, L'c').c_str());
    RegSetValueExW(key, L"Full", 0, REG_BINARY, reinterpret_cast<const BYTE*>(full.GetString()), 1024);
    const wchar_t inner[] = {L'A', L'B', 0, L'C', L'D'};
    RegSetValueExW(key, L"Inner", 0, REG_BINARY, reinterpret_cast<const BYTE*>(inner), sizeof(inner));
    RegCloseKey(key);

    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, kTestRoot, L"Full"), full);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, kTestRoot, L"Inner"), L"AB");
}
