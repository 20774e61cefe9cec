// The setup and the uninstaller as a user meets them, run silently in the test prefix:
// a fresh install, an update over the running program, an uninstall that leaves nothing
// behind, and one that leaves everything while the program's file cannot be deleted.
#include "Harness.h"
#include "MainWindowLayout.h"
#include "ProgramFileLock.h"
#include "SetupProgram.h"
#include "SystemToolStandIn.h"

#include "res/resource.h"

#include <memory>

namespace install {
namespace {

using e2e::ChildProcess;
using e2e::kDeadline;
using e2e::Narrow;

class InstallTest : public e2e::ProgramTest
{
protected:
    void SetUp() override
    {
        e2e::ProgramTest::SetUp();
        if (!e2e::FileExists(SetupPath()))
            FAIL() << "the setup is not built (scripts/package.sh): " << Narrow(SetupPath());
        RemoveEveryInstallation();
    }

    void TearDown() override
    {
        m_helpers.clear();
        e2e::ProgramTest::TearDown();
        RemoveEveryInstallation();
    }

    // A folder other than the default one, with blanks in its name as Program Files has.
    static std::wstring OtherFolder() { return DefaultInstallFolder() + L" Other Place"; }

    static void RemoveEveryInstallation()
    {
        RemoveInstallationByHand(DefaultInstallFolder());
        RemoveInstallationByHand(OtherFolder());
        RemoveOtherArchitectureInstallation();
    }

    static std::wstring ProgramIn(const std::wstring& folder)
    {
        return folder + L"\\" + e2e::kProgramFileName;
    }

    // Starts the program installed in `folder` as the shortcut does and waits for its window.
    testing::AssertionResult StartInstalledProgram(const std::wstring& folder)
    {
        DWORD error = 0;
        if (!m_program.Start(ProgramIn(folder), L"", &error))
            return testing::AssertionFailure()
                   << "cannot start " << Narrow(ProgramIn(folder)) << ": error " << error;
        return e2e::WaitUntil(
            [&] {
                m_window = e2e::FindMainWindow(m_program.Id());
                return m_window && IsWindowVisible(m_window);
            },
            kDeadline, "the installed program's window");
    }

    // Presses Start, then starts two applications. Each is raised to real-time as it
    // starts, and whichever is not in front afterwards is lowered to below-normal: only
    // the engine lowers a process, so that is what shows it at work.
    testing::AssertionResult StartEngineAndLowerAnApplication()
    {
        if (!e2e::FileExists(e2e::HelperPath(L"boostee")))
            return testing::AssertionFailure() << "the build has no boostee.exe helper";
        testing::AssertionResult engine = e2e::PressStart(m_window, e2e::ClickMethod::Mouse);
        if (!engine)
            return engine;
        for (const wchar_t* name : {L"alpha.exe", L"bravo.exe"})
        {
            testing::AssertionResult started = StartApplication(name);
            if (!started)
                return started;
        }
        return e2e::WaitUntil(
            [&] {
                for (const auto& helper : m_helpers)
                    if (helper->PriorityClass() == BELOW_NORMAL_PRIORITY_CLASS)
                        return true;
                return false;
            },
            kDeadline, "the engine to lower one of the applications to below-normal");
    }

    testing::AssertionResult StartApplication(const std::wstring& name)
    {
        m_helpers.push_back(std::make_unique<ChildProcess>());
        return e2e::StartApplication(name, m_helperFolder.Path(), *m_helpers.back());
    }

    testing::AssertionResult EveryApplicationBackAtNormal()
    {
        std::string classes;
        testing::AssertionResult normal = e2e::WaitUntil(
            [&] {
                classes.clear();
                bool allNormal = true;
                for (const auto& helper : m_helpers)
                {
                    classes += std::string(" ") + e2e::PriorityClassName(helper->PriorityClass());
                    allNormal = allNormal && helper->PriorityClass() == NORMAL_PRIORITY_CLASS;
                }
                return allNormal;
            },
            kDeadline, "every application to run at normal priority again");
        if (!normal)
            normal << " (they run at" << classes << ")";
        return normal;
    }

    static testing::AssertionResult SameAsBuiltProgram(const std::wstring& path)
    {
        const auto installed = FileBytes(path);
        const auto built = FileBytes(e2e::ProgramPath());
        if (!installed)
            return testing::AssertionFailure() << Narrow(path) << " is missing";
        if (!built)
            return testing::AssertionFailure() << "cannot read the built program";
        if (*installed != *built)
            return testing::AssertionFailure() << Narrow(path) << " (" << installed->size()
                                               << " bytes) is not the built program ("
                                               << built->size() << " bytes)";
        return testing::AssertionSuccess();
    }

    e2e::TempFolder m_helperFolder;
    std::vector<std::unique_ptr<ChildProcess>> m_helpers;
    ChildProcess m_program;
    HWND m_window = nullptr;
};

// ---- a fresh install ----------------------------------------------------------------------

TEST_F(InstallTest, SilentInstall_FreshPrefix_InstallsProgramShortcutAndEntryIntoProgramFiles)
{
    ASSERT_TRUE(RunSetup(L"/S"));

    const std::wstring folder = DefaultInstallFolder();
    const std::wstring exe = ProgramIn(folder);
    EXPECT_TRUE(SameAsBuiltProgram(exe));
    EXPECT_TRUE(e2e::FileExists(folder + L"\\" + kUninstallerFileName));

    ASSERT_TRUE(e2e::FileExists(StartMenuShortcut())) << Narrow(StartMenuShortcut());
    EXPECT_TRUE(SameFolder(ShortcutTarget(StartMenuShortcut()), exe))
        << "the shortcut starts " << Narrow(ShortcutTarget(StartMenuShortcut()));

    const VersionRecord program = ReadVersionRecord(e2e::ProgramPath());
    ASSERT_TRUE(program.found);
    EXPECT_EQ(EntryString(L"DisplayName").value_or(L"(missing)"), L"Vexra");
    EXPECT_EQ(EntryString(L"DisplayVersion").value_or(L"(missing)"), program.fileVersion);
    EXPECT_EQ(EntryString(L"Publisher").value_or(L"(missing)"), program.companyName);
    EXPECT_EQ(Narrow(EntryString(L"DisplayIcon").value_or(L"(missing)")), Narrow(exe + L",0"));
    EXPECT_EQ(Narrow(EntryString(L"InstallLocation").value_or(L"(missing)")), Narrow(folder));
    const std::wstring uninstaller = L"\"" + folder + L"\\" + kUninstallerFileName + L"\"";
    EXPECT_EQ(Narrow(EntryString(L"UninstallString").value_or(L"(missing)")), Narrow(uninstaller));
    EXPECT_EQ(Narrow(EntryString(L"QuietUninstallString").value_or(L"(missing)")),
              Narrow(uninstaller + L" /S"));
    EXPECT_EQ(EntryNumber(L"NoModify"), std::optional<DWORD>(1));
    EXPECT_EQ(EntryNumber(L"NoRepair"), std::optional<DWORD>(1));
    const auto exeBytes = FileBytes(exe);
    const auto uninstallerBytes = FileBytes(folder + L"\\" + kUninstallerFileName);
    ASSERT_TRUE(exeBytes && uninstallerBytes);
    const DWORD kilobytes =
        static_cast<DWORD>((exeBytes->size() + uninstallerBytes->size() + 1023) / 1024);
    EXPECT_EQ(EntryNumber(L"EstimatedSize"), std::optional<DWORD>(kilobytes));

    e2e::MarkLogonTaskDone();
    EXPECT_TRUE(StartInstalledProgram(folder));
}

TEST_F(InstallTest, SilentInstall_AfterAPortableCopyRegisteredTheTask_InstalledProgramRegistersItsOwnPath)
{
    // The portable .exe ran before and recorded its logon task as set up.
    e2e::MarkLogonTaskDone();
    ASSERT_TRUE(RunSetup(L"/S"));
    EXPECT_FALSE(e2e::ReadProgramValue(L"Schedinfo").has_value())
        << "the setup leaves the record of the old task, so the task keeps starting the old copy";

    e2e::TempFolder logFolder;
    SystemToolStandIn tool(logFolder.File(L"schtasks.log"));
    ASSERT_TRUE(tool.IsPlaced()) << "the schtasks.exe stand-in could not be put in the system folder";
    ASSERT_TRUE(StartInstalledProgram(DefaultInstallFolder()));

    // The task's program is the short form of the installed folder.
    wchar_t shortFolder[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(DefaultInstallFolder().c_str(), shortFolder, MAX_PATH), 0u);
    const std::wstring taskProgram = std::wstring(shortFolder) + L"\\" + e2e::kProgramFileName;
    // The set-up runs beside the window and is recorded once its create run has ended.
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::ReadProgramValue(L"Schedinfo").value_or(L"") == L"2"; },
                               kDeadline, "\"Schedinfo\" = \"2\""))
        << "runs: " << testing::PrintToString(tool.Runs());
    // Windows 7 and later: the program is named in the task's definition.
    const std::wstring command = L"<Command>" + taskProgram + L"</Command>";
    EXPECT_NE(tool.Definition().find(command), std::wstring::npos)
        << "no task definition of " << Narrow(taskProgram) << " among the runs "
        << testing::PrintToString(tool.Runs()) << "\ndefinition:\n" << Narrow(tool.Definition());
}

// ---- an update over the running program ---------------------------------------------------

TEST_F(InstallTest, SilentInstall_OverRunningEngine_EndsItThroughExitAndReplacesTheFile)
{
    ASSERT_TRUE(RunSetup(L"/S /D=" + OtherFolder()));
    const std::wstring exe = ProgramIn(OtherFolder());
    ASSERT_TRUE(SameAsBuiltProgram(exe));
    // Trailing bytes after the image: the program still runs, but is no longer the setup's.
    // The setup's process has ended; Wine may hold its files a moment longer.
    ASSERT_TRUE(e2e::WaitUntil([&] { return AppendToFile(exe, "an older build"); },
                               e2e::Milliseconds{5000}, "the installed program to be writable"));
    ASSERT_FALSE(SameAsBuiltProgram(exe));

    const size_t iconsBefore = e2e::TrayIconWindows().size();
    e2e::MarkLogonTaskDone();
    ASSERT_TRUE(StartInstalledProgram(OtherFolder()));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconWindows().size() > iconsBefore; },
                               kDeadline, "the program's notification icon"));
    ASSERT_TRUE(StartEngineAndLowerAnApplication());

    // No /D: an update finds the installed copy through its uninstall entry.
    ASSERT_TRUE(RunSetup(L"/S"));

    EXPECT_TRUE(m_program.WaitForExit(kDeadline)) << "the running copy did not end";
    EXPECT_TRUE(EveryApplicationBackAtNormal()) << "the running copy did not end through its Exit";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TrayIconWindows().size() == iconsBefore; },
                               kDeadline, "the notification icon to go"));
    EXPECT_TRUE(SameAsBuiltProgram(exe));
    EXPECT_FALSE(e2e::FileExists(ProgramIn(DefaultInstallFolder())))
        << "the update went to the default folder instead of the installed one";
    EXPECT_EQ(Narrow(EntryString(L"InstallLocation").value_or(L"(missing)")), Narrow(OtherFolder()));
}

// ---- one Vexra on a machine ----------------------------------------------------------------

TEST_F(InstallTest, X64SilentInstall_OverARunningX86Installation_EndsItAndLeavesNothingOfIt)
{
    if (OwnArchitecture() != L"x64")
        GTEST_SKIP() << "the x64 setup replaces an x86 installation; this is the "
                     << Narrow(OwnArchitecture()) << " setup's test run";
    // The x86 installation as its setup leaves it: the program and its uninstaller in the
    // 32-bit Program Files, its entry in the 32-bit view. The file is this build's program
    // (a 32-bit one cannot start on every machine these tests run on): the setup goes by
    // the entry and the folder, and ends the running copy by its window, whatever its
    // architecture.
    const std::wstring x86Folder = OtherArchitectureInstallFolder();
    ASSERT_FALSE(x86Folder.empty());
    ASSERT_TRUE(CreateDirectoryW(x86Folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW(e2e::ProgramPath().c_str(), ProgramIn(x86Folder).c_str(), FALSE));
    ASSERT_TRUE(WriteTextFile(x86Folder + L"\\" + kUninstallerFileName, "the x86 uninstaller"));
    ASSERT_TRUE(WriteOtherArchitectureEntry(x86Folder));
    e2e::MarkLogonTaskDone();
    ASSERT_TRUE(StartInstalledProgram(x86Folder));
    ASSERT_TRUE(StartEngineAndLowerAnApplication());

    ASSERT_TRUE(RunSetup(L"/S"));

    EXPECT_TRUE(m_program.WaitForExit(kDeadline)) << "the running x86 copy did not end";
    EXPECT_TRUE(EveryApplicationBackAtNormal()) << "the running x86 copy did not end through its Exit";
    EXPECT_FALSE(e2e::FileExists(ProgramIn(x86Folder)));
    EXPECT_FALSE(e2e::FileExists(x86Folder + L"\\" + kUninstallerFileName));
    EXPECT_FALSE(FolderExists(x86Folder));
    EXPECT_FALSE(OtherArchitectureEntryExists()) << "the x86 entry is still listed";

    // In its place the x64 installation, and only that.
    EXPECT_TRUE(SameAsBuiltProgram(ProgramIn(DefaultInstallFolder())));
    EXPECT_EQ(Narrow(EntryString(L"InstallLocation").value_or(L"(missing)")),
              Narrow(DefaultInstallFolder()));
    EXPECT_TRUE(SameFolder(ShortcutTarget(StartMenuShortcut()), ProgramIn(DefaultInstallFolder())))
        << "the shortcut starts " << Narrow(ShortcutTarget(StartMenuShortcut()));
}

TEST_F(InstallTest, X86SilentInstall_On64BitWindowsWithTheX64Installed_RefusesAndChangesNothing)
{
    if (OwnArchitecture() != L"x86")
        GTEST_SKIP() << "the x86 setup refuses while the x64 Vexra is installed; this is the "
                     << Narrow(OwnArchitecture()) << " setup's test run";
    if (!RunningOn64BitWindows())
        GTEST_SKIP() << "this Windows (the Wine prefix) is 32-bit: no x64 Vexra can be installed";
    // On 64-bit Windows without an x64 installation the x86 setup goes on when silent: the
    // fresh install above shows that in this same run.
    const std::wstring x64Folder = OtherArchitectureInstallFolder();
    ASSERT_FALSE(x64Folder.empty());
    ASSERT_TRUE(WriteOtherArchitectureEntry(x64Folder));

    std::string failure;
    const std::optional<DWORD> exitCode = RunForExitCode(L"\"" + SetupPath() + L"\" /S", &failure);
    ASSERT_TRUE(exitCode.has_value()) << failure;
    EXPECT_EQ(*exitCode, 1638u) << "ERROR_PRODUCT_VERSION: another version is installed";
    EXPECT_FALSE(FolderExists(DefaultInstallFolder()));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_FALSE(e2e::FileExists(StartMenuShortcut()));
    EXPECT_TRUE(OtherArchitectureEntryExists()) << "the x64 entry was touched";
}

// ---- the uninstaller ------------------------------------------------------------------------

// The exit code of a setup or uninstaller that found the program's file in use.
constexpr DWORD kExitProgramInUse = 32;  // ERROR_SHARING_VIOLATION

// The uninstaller run in place, silently, as a caller that needs its exit code runs it:
// started by its own name it copies itself away, starts the copy and ends at once with 0.
std::wstring InPlaceSilentUninstall(const std::wstring& folder)
{
    return L"\"" + folder + L"\\" + kUninstallerFileName + L"\" /S _?=" + folder;
}

TEST_F(InstallTest, SilentUninstall_WhileEngineRuns_EndsItAndRemovesEverythingAndTheLogonTask)
{
    ASSERT_TRUE(RunSetup(L"/S /D=" + OtherFolder()));
    e2e::MarkLogonTaskDone();
    ASSERT_TRUE(StartInstalledProgram(OtherFolder()));
    ASSERT_TRUE(StartEngineAndLowerAnApplication());
    ASSERT_TRUE(ProgramKeyExists());

    e2e::TempFolder logFolder;
    SystemToolStandIn tool(logFolder.File(L"schtasks.log"));
    ASSERT_TRUE(tool.IsPlaced()) << "the schtasks.exe stand-in could not be put in the system folder";

    // As Windows runs it for a silent uninstall. The uninstaller copies itself elsewhere,
    // starts the copy and ends at once; the copy does the work, last the folder.
    const std::optional<std::wstring> quiet = EntryString(L"QuietUninstallString");
    ASSERT_TRUE(quiet);
    ASSERT_TRUE(RunCommandLine(*quiet));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !FolderExists(OtherFolder()); }, kSetupDeadline,
                               "the install folder to go"));
    // NSIS names the copy Un.exe; after the folder it has only its own end left.
    EXPECT_TRUE(e2e::WaitUntil([] { return e2e::ProcessesNamed(L"Un.exe").empty(); }, kDeadline,
                               "the uninstaller's copy to end"));

    EXPECT_TRUE(m_program.WaitForExit(kDeadline)) << "the running copy did not end";
    EXPECT_TRUE(EveryApplicationBackAtNormal()) << "the running copy did not end through its Exit";
    EXPECT_FALSE(e2e::FileExists(ProgramIn(OtherFolder())));
    EXPECT_FALSE(e2e::FileExists(OtherFolder() + L"\\" + kUninstallerFileName));
    EXPECT_FALSE(e2e::FileExists(StartMenuShortcut()));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_FALSE(ProgramKeyExists());

    const std::wstring expectedRun = L"\"" + tool.ToolPath() + L"\" /delete /tn Vexra_Start /F";
    const std::vector<std::wstring> runs = tool.Runs();
    ASSERT_EQ(runs.size(), 1u) << testing::PrintToString(runs);
    EXPECT_EQ(CompareStringOrdinal(runs[0].c_str(), -1, expectedRun.c_str(), -1, TRUE), CSTR_EQUAL)
        << "the uninstaller ran " << Narrow(runs[0]) << "\ninstead of " << Narrow(expectedRun);
}

TEST_F(InstallTest, SilentUninstall_FolderHoldsAFileOfTheUser_KeepsItAndTheFolder)
{
    ASSERT_TRUE(RunSetup(L"/S /D=" + OtherFolder()));
    const std::wstring notes = OtherFolder() + L"\\notes.txt";
    ASSERT_TRUE(WriteTextFile(notes, "mine"));

    // Run in place (_?=) so its end is the end of the uninstall; it cannot delete its own
    // file then, which is why the folder is checked through the user's file only.
    ASSERT_TRUE(RunCommandLine(InPlaceSilentUninstall(OtherFolder())));

    EXPECT_FALSE(e2e::FileExists(ProgramIn(OtherFolder())));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_TRUE(e2e::FileExists(notes)) << "the uninstaller deleted a file it did not install";
    DeleteFileW(notes.c_str());
}

// ---- a program that cannot be deleted ----------------------------------------------------

class LockedProgramTest : public InstallTest, public testing::WithParamInterface<FileLockKind>
{
};

TEST_P(LockedProgramTest, SilentUninstall_ProgramInUse_KeepsAllAndExits32_OnceFreeRemovesAll)
{
    ASSERT_TRUE(RunSetup(L"/S /D=" + OtherFolder()));
    // The settings a started program leaves.
    e2e::MarkLogonTaskDone();
    const std::wstring exe = ProgramIn(OtherFolder());
    const std::wstring uninstaller = OtherFolder() + L"\\" + kUninstallerFileName;
    e2e::TempFolder logFolder;
    SystemToolStandIn tool(logFolder.File(L"schtasks.log"));
    ASSERT_TRUE(tool.IsPlaced()) << "the schtasks.exe stand-in could not be put in the system folder";
    ProgramFileLock lock;
    ASSERT_TRUE(lock.Lock(exe, GetParam()));

    std::string failure;
    const std::optional<DWORD> exitCode = RunForExitCode(InPlaceSilentUninstall(OtherFolder()), &failure);
    ASSERT_TRUE(exitCode.has_value()) << failure;
    EXPECT_EQ(*exitCode, kExitProgramInUse);
    EXPECT_TRUE(e2e::FileExists(exe)) << "the lock did not keep the program";
    EXPECT_TRUE(UninstallEntryExists()) << "the program is left without its uninstall entry";
    EXPECT_EQ(Narrow(EntryString(L"InstallLocation").value_or(L"(missing)")), Narrow(OtherFolder()));
    EXPECT_TRUE(e2e::FileExists(uninstaller)) << "the program is left without its uninstaller";
    EXPECT_TRUE(e2e::FileExists(StartMenuShortcut()));
    EXPECT_TRUE(ProgramKeyExists());
    EXPECT_TRUE(tool.Runs().empty()) << "the logon task was deleted although its program stays: "
                                     << testing::PrintToString(tool.Runs());

    // Once the file is free, the uninstall as Windows runs it takes everything.
    ASSERT_TRUE(lock.Release());
    const std::optional<std::wstring> quiet = EntryString(L"QuietUninstallString");
    ASSERT_TRUE(quiet);
    ASSERT_TRUE(RunCommandLine(*quiet));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !FolderExists(OtherFolder()); }, kSetupDeadline,
                               "the install folder to go"));
    EXPECT_TRUE(e2e::WaitUntil([] { return e2e::ProcessesNamed(L"Un.exe").empty(); }, kDeadline,
                               "the uninstaller's copy to end"));
    EXPECT_FALSE(e2e::FileExists(exe));
    EXPECT_FALSE(e2e::FileExists(uninstaller));
    EXPECT_FALSE(e2e::FileExists(StartMenuShortcut()));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_FALSE(ProgramKeyExists());
    EXPECT_EQ(tool.Runs().size(), 1u) << testing::PrintToString(tool.Runs());
}

TEST_P(LockedProgramTest, X64SilentInstall_OverAnX86InstallationInUse_KeepsItWholeAndExits32)
{
    if (OwnArchitecture() != L"x64")
        GTEST_SKIP() << "the x64 setup replaces an x86 installation; this is the "
                     << Narrow(OwnArchitecture()) << " setup's test run";
    // The x86 installation as its setup leaves it (see the test of its replacement above).
    const std::wstring x86Folder = OtherArchitectureInstallFolder();
    ASSERT_FALSE(x86Folder.empty());
    ASSERT_TRUE(CreateDirectoryW(x86Folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW(e2e::ProgramPath().c_str(), ProgramIn(x86Folder).c_str(), FALSE));
    const std::wstring x86Uninstaller = x86Folder + L"\\" + kUninstallerFileName;
    ASSERT_TRUE(WriteTextFile(x86Uninstaller, "the x86 uninstaller"));
    ASSERT_TRUE(WriteOtherArchitectureEntry(x86Folder));
    ProgramFileLock lock;
    ASSERT_TRUE(lock.Lock(ProgramIn(x86Folder), GetParam()));

    std::string failure;
    const std::optional<DWORD> exitCode = RunForExitCode(L"\"" + SetupPath() + L"\" /S", &failure);
    ASSERT_TRUE(exitCode.has_value()) << failure;
    EXPECT_EQ(*exitCode, kExitProgramInUse);
    EXPECT_TRUE(e2e::FileExists(ProgramIn(x86Folder)));
    EXPECT_TRUE(e2e::FileExists(x86Uninstaller)) << "the x86 program is left without its uninstaller";
    EXPECT_TRUE(OtherArchitectureEntryExists()) << "the x86 program is left without its entry";
    // And nothing of the x64 installation beside it.
    EXPECT_FALSE(FolderExists(DefaultInstallFolder()));
    EXPECT_FALSE(UninstallEntryExists());
    EXPECT_FALSE(e2e::FileExists(StartMenuShortcut()));
}

// The user's way: the uninstaller says which file is in use and offers Retry; once the
// other copy has ended, Retry goes on and removes everything.
TEST_F(InstallTest, Uninstall_ProgramInUse_AsksForRetry_RetryAfterItEndsRemovesEverything)
{
    ASSERT_TRUE(RunSetup(L"/S /D=" + OtherFolder()));
    const std::wstring exe = ProgramIn(OtherFolder());
    ProgramFileLock lock;
    ASSERT_TRUE(lock.Lock(exe, FileLockKind::RunningCopy));

    // In place (_?=), so this process is the one that shows the pages and asks.
    ChildProcess uninstaller;
    DWORD error = 0;
    ASSERT_TRUE(uninstaller.Start(OtherFolder() + L"\\" + kUninstallerFileName,
                                  L"_?=" + OtherFolder(), &error))
        << "error " << error;
    HWND pages = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (pages = WindowWithButton(uninstaller.Id(), IDOK, true)) != nullptr; },
        kSetupDeadline, "the uninstaller's confirmation page"));
    PressButton(pages, IDOK);  // "Uninstall"

    HWND question = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (question = WindowWithButton(uninstaller.Id(), IDRETRY, true)) != nullptr; },
        kSetupDeadline, "the uninstaller to ask for Retry"));
    EXPECT_NE(ControlTexts(question).find(exe), std::wstring::npos)
        << "the question does not name the file in use: " << Narrow(ControlTexts(question));
    EXPECT_TRUE(WindowWithButton(uninstaller.Id(), IDCANCEL, true)) << "no way to cancel";
    EXPECT_TRUE(UninstallEntryExists()) << "the entry went while the uninstaller asks";

    ASSERT_TRUE(lock.Release());
    PressButton(question, IDRETRY);
    // Done, the page offers Close.
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            return !WindowWithButton(uninstaller.Id(), IDRETRY, false) &&
                   (pages = WindowWithButton(uninstaller.Id(), IDOK, true)) != nullptr;
        },
        kSetupDeadline, "the uninstaller to finish after Retry"));
    PressButton(pages, IDOK);
    DWORD exitCode = STILL_ACTIVE;
    ASSERT_TRUE(uninstaller.WaitForExit(kSetupDeadline, &exitCode)) << "the uninstaller did not end";
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(e2e::FileExists(exe));
    EXPECT_FALSE(e2e::FileExists(StartMenuShortcut()));
    EXPECT_FALSE(UninstallEntryExists());
}

INSTANTIATE_TEST_SUITE_P(Locks, LockedProgramTest,
                         testing::Values(FileLockKind::RunningCopy,
                                         FileLockKind::OpenWithoutDeleteSharing),
                         [](const testing::TestParamInfo<FileLockKind>& info) {
                             return std::string(FileLockKindName(info.param));
                         });

// ---- the setup's version record ---------------------------------------------------------

TEST(SetupVersion, VersionRecord_SetupAndProgram_NameTheSameVersion)
{
    const VersionRecord program = ReadVersionRecord(e2e::ProgramPath());
    const VersionRecord setup = ReadVersionRecord(SetupPath());
    ASSERT_TRUE(program.found) << Narrow(e2e::ProgramPath());
    ASSERT_TRUE(setup.found) << Narrow(SetupPath());
    ASSERT_FALSE(program.fileVersion.empty());

    EXPECT_EQ(setup.fileVersionMS, program.fileVersionMS);
    EXPECT_EQ(setup.fileVersionLS, program.fileVersionLS);
    EXPECT_EQ(setup.productVersionMS, program.productVersionMS);
    EXPECT_EQ(setup.productVersionLS, program.productVersionLS);
    EXPECT_EQ(Narrow(setup.fileVersion), Narrow(program.fileVersion));
    EXPECT_EQ(Narrow(setup.productVersion), Narrow(program.productVersion));
    EXPECT_EQ(Narrow(setup.productName), Narrow(program.productName));
    EXPECT_EQ(Narrow(setup.companyName), Narrow(program.companyName));
    // The four numbers of the fixed record spell the text the program shows.
    const std::wstring numbers = std::to_wstring(HIWORD(program.fileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(program.fileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(program.fileVersionLS)) + L"." +
                                 std::to_wstring(LOWORD(program.fileVersionLS));
    EXPECT_EQ(Narrow(program.fileVersion), Narrow(numbers));

    const std::wstring setupPath = SetupPath();
    const std::wstring fileName = setupPath.substr(setupPath.find_last_of(L"\\/") + 1);
    EXPECT_EQ(Narrow(fileName),
              Narrow(L"VexraSetup-" + program.fileVersion + L"-" + OwnArchitecture() + L".exe"));
}

}  // namespace
}  // namespace install
