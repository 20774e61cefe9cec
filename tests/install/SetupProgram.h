// What the install tests need around the built setup: running it and the uninstaller as
// Windows does, where they put things (folders, the Start-menu shortcut, the uninstall
// entry), version records, and removing an installation by hand between tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Harness.h"

namespace install {

// A setup or uninstaller run under Wine on a busy machine, with a program to end first.
constexpr e2e::Milliseconds kSetupDeadline{120000};

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vexra";
constexpr wchar_t kUninstallerFileName[] = L"Uninstall.exe";
constexpr wchar_t kShortcutFileName[] = L"Vexra.lnk";

// The built setup (VEXRA_SETUP), whether or not it exists. The install tests are built for
// the setup's own architecture: x86 tests run the x86 setup, x64 tests the x64 one.
std::wstring SetupPath();
// "x86" or "x64": the architecture of this test, its program and its setup.
std::wstring OwnArchitecture();
// <Program Files of the setup's architecture>\Vexra, where the setup installs unless told
// otherwise.
std::wstring DefaultInstallFolder();
// The Start-menu shortcut for every user.
std::wstring StartMenuShortcut();
// The file a shortcut starts; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& shortcutPath);

// Runs `commandLine` as Windows runs an uninstall string and waits for its process to
// end; succeeds when it ended with exit code 0.
testing::AssertionResult RunCommandLine(const std::wstring& commandLine);
// The same, for a run whose exit code is the point: nullopt (with the reason in
// `failure`) when it could not be started or did not end.
std::optional<DWORD> RunForExitCode(const std::wstring& commandLine, std::string* failure);
// Runs the setup with `arguments` ("/S", "/S /D=C:\folder", ...).
testing::AssertionResult RunSetup(const std::wstring& arguments);

// Values of the uninstall entry, read in the view of the setup's architecture; nullopt when
// missing or of another type.
bool UninstallEntryExists();
std::optional<std::wstring> EntryString(const wchar_t* valueName);
std::optional<DWORD> EntryNumber(const wchar_t* valueName);

bool FolderExists(const std::wstring& path);
bool ProgramKeyExists();
std::optional<std::vector<char>> FileBytes(const std::wstring& path);
// Appends `extra` to a file; false when it cannot be written.
bool AppendToFile(const std::wstring& path, const std::string& extra);
bool WriteTextFile(const std::wstring& path, const std::string& text);
bool SameFolder(const std::wstring& a, const std::wstring& b);

struct VersionRecord
{
    bool found = false;
    DWORD fileVersionMS = 0, fileVersionLS = 0;
    DWORD productVersionMS = 0, productVersionLS = 0;
    std::wstring fileVersion, productVersion, companyName, productName;
};
// The version record of an executable, strings from its first translation.
VersionRecord ReadVersionRecord(const std::wstring& path);

// Takes away what a setup may have put in `folder`, the shortcut and the uninstall entry,
// without running the uninstaller under test.
void RemoveInstallationByHand(const std::wstring& folder);

// ---- the windows of a setup or uninstaller ------------------------------------------------

// A visible top-level window of `processId` that has the button `buttonId` (enabled too,
// when `mustBeEnabled`); null when there is none.
HWND WindowWithButton(DWORD processId, int buttonId, bool mustBeEnabled);
// The texts of every control of `window`, one after another: what a user can read in it.
std::wstring ControlTexts(HWND window);
// Presses a button of a dialog (the setup's pages, a message box) as a click does: the
// dialog gets WM_COMMAND with BN_CLICKED from it.
void PressButton(HWND dialog, int buttonId);

// ---- the other architecture's installation --------------------------------------------------

// Whether this Windows is 64-bit (for an x86 test: whether it runs under WOW64).
bool RunningOn64BitWindows();
// Where the other architecture's setup installs (the x86 Vexra under the 32-bit Program
// Files, the x64 one under the 64-bit one); empty on 32-bit Windows.
std::wstring OtherArchitectureInstallFolder();
// The other architecture's uninstall entry, in its own registry view: written as its setup
// writes it (name, version, folder, uninstaller), asked for, and taken away.
bool WriteOtherArchitectureEntry(const std::wstring& folder);
bool OtherArchitectureEntryExists();
void RemoveOtherArchitectureInstallation();

}  // namespace install
