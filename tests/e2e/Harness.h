// The end-to-end harness: starts the real VEXRA-by-Teskor.exe the way a user does and
// drives it from outside, in the same Wine prefix (wineserver) as the program, so every
// cross-process Win32 call (window messages, GetPriorityClass, the registry) reaches it.
//
// Every wait polls for the state it expects within a deadline and names what it awaited
// when it gives up; nothing here sleeps a fixed time and hopes. While waiting, the
// driver's own windows (see DecoyWindow.h) keep handling their messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ScreenCapture.h"

namespace e2e {

using Milliseconds = std::chrono::milliseconds;

// Long enough for a cold GUI start under Wine (~2 s) on a busy two-core machine.
constexpr Milliseconds kDeadline{15000};

constexpr wchar_t kProgramFileName[] = L"VEXRA-by-Teskor.exe";
constexpr wchar_t kMainCaption[] = L"Vexra";
constexpr wchar_t kProgramKey[] = L"Software\\VexraUi";
constexpr UINT kTrayNotifyMessage = WM_USER + 56;  // 1080
constexpr UINT kTrayIconId = 128;
constexpr UINT kTrayExitCommand = 32772;

// ---- waiting ---------------------------------------------------------------------------

// Lets windows of this (the driver's) thread handle their messages for `period`.
void PumpMessagesFor(Milliseconds period);

// Polls `condition` about every 20 ms until it holds or `deadline` has passed. The failure
// message names `awaited` and the time waited.
testing::AssertionResult WaitUntil(const std::function<bool()>& condition, Milliseconds deadline,
                                   const std::string& awaited);

// Checks `condition` about every 20 ms for all of `period` and fails as soon as it does
// not hold: how a test observes that something does *not* happen (the program has had
// `period` to act and did not).
testing::AssertionResult HoldsFor(const std::function<bool()>& condition, Milliseconds period,
                                  const std::string& expected);

// ---- paths -----------------------------------------------------------------------------

std::wstring EnvironmentValue(const wchar_t* name);
// ctest hands Unix paths over; Wine opens them through its DOS view (Z:\...).
std::wstring ToWindowsPath(const std::wstring& path);
// The build folder (VEXRA_BUILD_DIR); empty when the variable is not set.
std::wstring BuildDir();
// The program under test (VEXRA_EXE, else <build>\VEXRA-by-Teskor.exe).
std::wstring ProgramPath();
// <build>\tests\helpers\<name>.exe, whether or not it exists.
std::wstring HelperPath(const std::wstring& name);
bool FileExists(const std::wstring& path);
// The whole of a UTF-16 text file (a byte-order mark included); empty when it is missing.
std::wstring ReadUtf16Text(const std::wstring& path);
// The lines of a UTF-16 text file (as the stand-in tools write their logs); empty when the
// file is missing.
std::vector<std::wstring> ReadLogLines(const std::wstring& path);
std::string Narrow(const std::wstring& text);

// A fresh folder under %TEMP%, removed with everything in it when the object goes.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// ---- the program's registry key ----------------------------------------------------------

// Removes HKCU\Software\VexraUi with everything under it.
void ResetProgramKey();
// Records the logon task as set up ("Schedinfo" = "2"), so a start skips schtasks.exe.
void MarkLogonTaskDone();
// A string value under the program's key; nullopt when the key or the value is missing.
std::optional<std::wstring> ReadProgramValue(const wchar_t* valueName);

// ---- processes of the prefix -------------------------------------------------------------

// Ids of the running processes whose image file name is `fileName` (case ignored).
std::vector<DWORD> ProcessesNamed(const wchar_t* fileName);
// The command line a running process was started with; empty when it cannot be read.
std::wstring CommandLineOf(DWORD processId);
// The running end guards: copies of VEXRA-by-Teskor.exe started with "--end-guard=".
// A guard is nobody's child (its starter has ended), so it is known by its argument.
std::vector<DWORD> EndGuards();
// The running VEXRA-by-Teskor.exe processes that are neither an end guard nor a guard's
// starter.
std::vector<DWORD> ProgramInstances();
// Every running process whose parent chain leads to processId, processId first.
std::vector<DWORD> ProcessTree(DWORD processId);
// Ends every running VEXRA-by-Teskor.exe of the prefix, end guards included: first
// politely (the tray menu's Exit, which also removes the notification icon and ends the
// guard), then by force, and waits until they are gone.
void EndAllProgramInstances();
// Ends every running process of the prefix with this image file name, by force.
void TerminateAllNamed(const wchar_t* fileName);

// ---- windows ---------------------------------------------------------------------------

std::wstring WindowText(HWND window);  // WM_GETTEXT, safe across processes
std::wstring ClassNameOf(HWND window);
// Visible or not, every top-level window of process `processId`.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// The program's main window: top-level, caption "Vexra", owned by `processId`.
HWND FindMainWindow(DWORD processId);

// What a user could see of one control of a dialog.
struct ControlState
{
    bool exists = false;
    bool shown = false;        // its own WS_VISIBLE bit, whatever its parent's state
    std::wstring text;
    std::wstring className;
    RECT rect{};               // in the dialog's client coordinates
};
ControlState ReadControl(HWND dialog, int controlId);
std::string Describe(const RECT& rect);

// ---- input -----------------------------------------------------------------------------

enum class ClickMethod
{
    Mouse,        // WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP posted to the control's centre
    BmClick,      // BM_CLICK posted to the control
    SystemInput,  // the pointer moved to the control's centre and pressed (SendInput), so
                  // the click comes through the system like a real one; the pointer stays
};
// Clicks a control as a user would; fails when the control is missing or not visible
// (a user cannot click what is not shown). Does not wait for the program to react.
testing::AssertionResult ClickControl(HWND dialog, int controlId, ClickMethod method);
// Posts a key press and release (WM_KEYDOWN, WM_KEYUP) to `window`.
void PressKey(HWND window, UINT virtualKey);
// Moves the real pointer (SendInput) to `screenPoint` and waits until the system reports
// it there.
testing::AssertionResult MovePointerTo(POINT screenPoint);
// The centre of a control in screen coordinates.
POINT ControlCentreOnScreen(HWND dialog, int controlId);
// Moves the mouse pointer to the screen's top-right corner, away from the program's
// window, so no button shows its hover face by chance and a menu opened at the pointer
// does not open under it.
void ParkMouseCursor();
// The notification-area callback the shell sends: message 1080, icon id, mouse message.
void PostTrayNotify(HWND mainWindow, UINT mouseMessage);
// Wine draws notification icons in its stand-alone tray window when no shell tray exists:
// each icon is a child window of that tray.
std::vector<HWND> TrayIconWindows();

// ---- the engine ------------------------------------------------------------------------

// Puts `window` in front as a user clicking it would, again if something else took the
// front meanwhile; `what` names it in a failure.
testing::AssertionResult BringToFront(HWND window, const std::string& what);
// The visible popup of the program (any top-level window of it but its main window) whose
// first line is `firstLine`; nullptr when none shows now.
HWND FindPopupOf(DWORD programId, HWND mainWindow, const std::wstring& firstLine);

// Presses the main window's Start button and waits for the Engine page: the engine runs
// from then on.
testing::AssertionResult PressStart(HWND mainWindow, ClickMethod method = ClickMethod::BmClick);
// Starts a copy of the windowed helper (boostee.exe) named `name` from `folder`, as an
// application the user starts, and waits for its window to show; *window gets it when
// asked for. `creationFlags` as StartHelperAs takes them.
testing::AssertionResult StartApplication(const std::wstring& name, const std::wstring& folder,
                                          ChildProcess& process, HWND* window = nullptr,
                                          DWORD creationFlags = 0);

// ---- the system's task tool ------------------------------------------------------------

// The program runs the system's own C:\windows\system32\schtasks.exe. While an object of
// this class lives, the recording stand-in (tests/helpers/schtasks.cpp) is that file:
// Wine's own copy waits beside it as schtasks-wine.exe, and a DLL override makes Wine run
// the file rather than its built-in tool. Objects may nest; the last one to go puts
// Wine's copy back. A copy left aside by a run that died is kept, not overwritten.
class SystemTaskToolStandIn
{
public:
    SystemTaskToolStandIn();
    ~SystemTaskToolStandIn();
    SystemTaskToolStandIn(const SystemTaskToolStandIn&) = delete;
    SystemTaskToolStandIn& operator=(const SystemTaskToolStandIn&) = delete;

    // Whether the stand-in is in place (the build has one and it could be put there).
    bool InPlace() const { return m_inPlace; }
    static std::wstring ToolPath();  // the system folder's schtasks.exe
    // The file a run of ToolPath() is started from, as the run itself reports it: the same
    // file, but the 32-bit system folder's twin when this (x86) test runs under WOW64.
    static std::wstring ToolImagePath();

private:
    bool m_inPlace = false;
};

// ---- the program under test ----------------------------------------------------------------

// Which runs of the schtasks.exe stand-in never end by themselves.
enum class TaskToolHang
{
    None,
    EveryRun,
    CreateRun,  // the delete run ends; the create run, given the definition, hangs
};

// How a test starts the program.
struct StartOptions
{
    std::wstring arguments;      // the command line's tail; a user's start has none
    std::wstring currentFolder;  // empty: the program's own folder
    TaskToolHang taskToolHang = TaskToolHang::None;
    Milliseconds taskToolWait{0};  // how long each run of the stand-in takes
};

// One started VEXRA-by-Teskor.exe: a copy of the built program in a fresh folder, with the
// recording schtasks.exe stand-in in the system folder while it lives (the program runs
// schtasks.exe on its first start). Ends the process, if still running, when the object
// goes.
class ProgramUnderTest
{
public:
    ProgramUnderTest();
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // Starts the program as a user does, without arguments unless the options give some
    // (as Windows gives them when it restarts the program). The schtasks.exe stand-in
    // records its runs into this program's folder and succeeds (or hangs, if asked).
    testing::AssertionResult Start(const StartOptions& options = StartOptions());
    // Waits for the main window to exist and be visible; MainWindow() gives it afterwards.
    testing::AssertionResult WaitForMainWindow(Milliseconds deadline = kDeadline);
    // Start, WaitForMainWindow and PressStart: the program with its engine running.
    testing::AssertionResult StartWithEngine(ClickMethod method = ClickMethod::BmClick);
    // Starts another process of the same executable (a second start by the same user).
    testing::AssertionResult StartSecondInstance(ChildProcess& second);
    // Ends the program: the tray menu's Exit, then by force after `politeDeadline`.
    void End(Milliseconds politeDeadline = Milliseconds{3000});

    // The command lines of the stand-in's runs so far, in order (empty without stand-in).
    std::vector<std::wstring> TaskToolRuns() const;
    // The full path of the file each of those runs was started from, in order.
    std::vector<std::wstring> TaskToolImages() const;
    // The task definition the last create run read, as text; empty when none did.
    std::wstring TaskToolDefinition() const;
    // What those runs found they could do to the definition file while they ran
    // ("write refused", "rename refused", "delete refused", or "... allowed").
    std::vector<std::wstring> TaskToolProbes() const;
    // The program's end guard, once it runs (0 before, or when there is none).
    DWORD EndGuard() const;

    HWND MainWindow() const { return m_mainWindow; }
    ChildProcess& Process() { return m_process; }
    const std::wstring& ExePath() const { return m_exePath; }
    const TempFolder& Folder() const { return m_folder; }
    bool HasTaskStandIn() const { return m_taskStandIn.InPlace(); }

private:

    TempFolder m_folder;
    std::wstring m_exePath;
    SystemTaskToolStandIn m_taskStandIn;
    ChildProcess m_process;
    HWND m_mainWindow = nullptr;
};

// Base of every e2e test: no program runs and the program's key is fresh before and after
// each test, so tests do not depend on each other.
class ProgramTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};

// Tests that start copies of the windowed helper (boostee.exe) beside the program; the
// logon task counts as registered, so the program never waits for the task tool. A
// derived SetUp returns at once when IsSkipped().
class HelperProgramTest : public ProgramTest
{
protected:
    void SetUp() override;
};

}  // namespace e2e
