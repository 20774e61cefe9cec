#include "Harness.h"

#include "MainWindowLayout.h"

#include "framework/Handle.h"
#include "res/resource.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <sstream>

namespace e2e {

using Clock = std::chrono::steady_clock;

// ---- waiting ---------------------------------------------------------------------------

void PumpMessagesFor(Milliseconds period)
{
    const auto end = Clock::now() + period;
    for (;;)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const auto left = std::chrono::duration_cast<Milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

testing::AssertionResult WaitUntil(const std::function<bool()>& condition, Milliseconds deadline,
                                   const std::string& awaited)
{
    const auto start = Clock::now();
    for (;;)
    {
        if (condition())
            return testing::AssertionSuccess();
        if (Clock::now() - start >= deadline)
            break;
        PumpMessagesFor(Milliseconds{20});
    }
    return testing::AssertionFailure()
           << "timed out after " << deadline.count() << " ms waiting for " << awaited;
}

testing::AssertionResult HoldsFor(const std::function<bool()>& condition, Milliseconds period,
                                  const std::string& expected)
{
    const auto start = Clock::now();
    for (;;)
    {
        if (!condition())
            return testing::AssertionFailure()
                   << "after " << std::chrono::duration_cast<Milliseconds>(Clock::now() - start).count()
                   << " ms no longer true: " << expected;
        if (Clock::now() - start >= period)
            return testing::AssertionSuccess();
        PumpMessagesFor(Milliseconds{20});
    }
}

// ---- paths -----------------------------------------------------------------------------

std::wstring EnvironmentValue(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(length);
    return value;
}

std::wstring ToWindowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
        return path;
    // Wine's own converter knows the prefix's drive mapping; Z: is the root otherwise.
    using DosNameFn = WCHAR*(CDECL*)(LPCSTR);
    auto toDos = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos)
    {
        const std::string unixPath = Narrow(path);
        if (WCHAR* dos = toDos(unixPath.c_str()))
        {
            std::wstring result(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return result;
        }
    }
    std::wstring result = L"Z:" + path;
    for (auto& c : result)
        if (c == L'/')
            c = L'\\';
    return result;
}

std::wstring BuildDir()
{
    std::wstring dir = ToWindowsPath(EnvironmentValue(L"VEXRA_BUILD_DIR"));
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/'))
        dir.pop_back();
    return dir;
}

std::wstring ProgramPath()
{
    const std::wstring exe = EnvironmentValue(L"VEXRA_EXE");
    if (!exe.empty())
        return ToWindowsPath(exe);
    return BuildDir() + L"\\" + kProgramFileName;
}

std::wstring HelperPath(const std::wstring& name)
{
    return BuildDir() + L"\\tests\\helpers\\" + name + L".exe";
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ReadUtf16Text(const std::wstring& path)
{
    std::wstring text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    wchar_t buffer[1024];
    DWORD bytes = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &bytes, nullptr) && bytes > 0)
        text.append(buffer, bytes / sizeof(wchar_t));
    CloseHandle(file);
    return text;
}

std::vector<std::wstring> ReadLogLines(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    const std::wstring text = ReadUtf16Text(path);
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                        size, nullptr, nullptr);
    return result;
}

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;)
    {
        m_path = std::wstring(temp) + L"vexra-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(m_path.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return;  // later file operations fail and say so
    }
}

TempFolder::~TempFolder()
{
    // Files of processes that are just ending may stay locked for a moment.
    WaitUntil(
        [&] {
            WIN32_FIND_DATAW found{};
            HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
            if (search != INVALID_HANDLE_VALUE)
            {
                do
                {
                    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                        DeleteFileW((m_path + L"\\" + found.cFileName).c_str());
                } while (FindNextFileW(search, &found));
                FindClose(search);
            }
            return RemoveDirectoryW(m_path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                   GetLastError() == ERROR_PATH_NOT_FOUND;
        },
        Milliseconds{3000}, "the temporary folder to be removed");
}

// ---- the program's registry key ----------------------------------------------------------

void ResetProgramKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kProgramKey);
}

void MarkLogonTaskDone()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    static const wchar_t done[] = L"2";
    RegSetValueExW(key, L"Schedinfo", 0, REG_SZ, reinterpret_cast<const BYTE*>(done), sizeof(done));
    RegCloseKey(key);
}

std::optional<std::wstring> ReadProgramValue(const wchar_t* valueName)
{
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kProgramKey, valueName, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

// ---- processes of the prefix -------------------------------------------------------------

namespace {

std::wstring ImageFileNameOf(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return {};
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = ARRAYSIZE(path);
    const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
    if (!ok)
        return {};
    const wchar_t* slash = wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

}  // namespace

std::vector<DWORD> ProcessesNamed(const wchar_t* fileName)
{
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
        return {};
    ids.resize(bytes / sizeof(DWORD));
    std::vector<DWORD> named;
    for (DWORD id : ids)
        if (id != 0 && _wcsicmp(ImageFileNameOf(id).c_str(), fileName) == 0)
            named.push_back(id);
    return named;
}

namespace {
// Reads `size` bytes at `address` of another process of the same architecture.
bool ReadFrom(HANDLE process, const void* address, void* buffer, SIZE_T size)
{
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, buffer, size, &read) && read == size;
}

bool HasEndGuardArgument(DWORD processId)
{
    return CommandLineOf(processId).find(L"--end-guard") != std::wstring::npos;
}
}  // namespace

std::wstring CommandLineOf(DWORD processId)
{
    using QueryFunction = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (query == nullptr)
        return {};
    const CKernelHandle owned(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!owned)
        return {};
    const HANDLE process = owned.Get();
    std::wstring commandLine;
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
        ReadFrom(process, basic.PebBaseAddress, &peb, sizeof(peb)) &&
        ReadFrom(process, peb.ProcessParameters, &parameters, sizeof(parameters)))
    {
        commandLine.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!commandLine.empty() &&
            !ReadFrom(process, parameters.CommandLine.Buffer, &commandLine[0], parameters.CommandLine.Length))
            commandLine.clear();
    }
    return commandLine;
}

std::vector<DWORD> EndGuards()
{
    std::vector<DWORD> guards;
    for (DWORD id : ProcessesNamed(kProgramFileName))
        if (CommandLineOf(id).find(L"--end-guard=") != std::wstring::npos)
            guards.push_back(id);
    return guards;
}

std::vector<DWORD> ProgramInstances()
{
    std::vector<DWORD> instances;
    for (DWORD id : ProcessesNamed(kProgramFileName))
        if (!HasEndGuardArgument(id))
            instances.push_back(id);
    return instances;
}

std::vector<DWORD> ProcessTree(DWORD processId)
{
    std::vector<std::pair<DWORD, DWORD>> parents;   // (process, parent)
    const CFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return {processId};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL found = Process32FirstW(snapshot.Get(), &entry); found;
         found = Process32NextW(snapshot.Get(), &entry))
        parents.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    std::vector<DWORD> tree{processId};
    for (size_t next = 0; next < tree.size(); ++next)
        for (const auto& [child, parent] : parents)
            if (parent == tree[next] && child != parent &&
                std::find(tree.begin(), tree.end(), child) == tree.end())
                tree.push_back(child);
    return tree;
}

void TerminateAllNamed(const wchar_t* fileName)
{
    for (DWORD id : ProcessesNamed(fileName))
    {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process)
            continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

void EndAllProgramInstances()
{
    for (DWORD id : ProcessesNamed(kProgramFileName))
        if (HWND window = FindMainWindow(id))
            PostMessageW(window, WM_COMMAND, kTrayExitCommand, 0);
    WaitUntil([] { return ProcessesNamed(kProgramFileName).empty(); }, Milliseconds{3000},
              "the program to end through its Exit command");
    TerminateAllNamed(kProgramFileName);
}

// ---- windows ---------------------------------------------------------------------------

std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return {};
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::wstring ClassNameOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

namespace {

struct WindowSearch
{
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectTrayIcon(HWND child, LPARAM context)
{
    if (ClassNameOf(child) == L"__winex11_tray_icon")
        reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMainWindow(DWORD processId)
{
    for (HWND window : TopLevelWindowsOf(processId))
    {
        wchar_t caption[64] = {};
        // The text Windows keeps for the window; no message reaches the program.
        GetWindowTextW(window, caption, ARRAYSIZE(caption));
        if (wcscmp(caption, kMainCaption) == 0)
            return window;
    }
    return nullptr;
}

ControlState ReadControl(HWND dialog, int controlId)
{
    ControlState state;
    HWND control = GetDlgItem(dialog, controlId);
    if (!control)
        return state;
    state.exists = true;
    state.shown = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    state.text = WindowText(control);
    state.className = ClassNameOf(control);
    GetWindowRect(control, &state.rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&state.rect), 2);
    return state;
}

std::string Describe(const RECT& rect)
{
    std::ostringstream text;
    text << "(x " << rect.left << ", y " << rect.top << ", " << rect.right - rect.left << " x "
         << rect.bottom - rect.top << ")";
    return text.str();
}

// ---- input -----------------------------------------------------------------------------

testing::AssertionResult ClickControl(HWND dialog, int controlId, ClickMethod method)
{
    HWND control = GetDlgItem(dialog, controlId);
    if (!control)
        return testing::AssertionFailure() << "control " << controlId << " does not exist";
    if (!IsWindowVisible(control))
        return testing::AssertionFailure() << "control " << controlId << " is not visible";
    if (method == ClickMethod::BmClick)
    {
        PostMessageW(control, BM_CLICK, 0, 0);
        return testing::AssertionSuccess();
    }
    if (method == ClickMethod::SystemInput)
    {
        testing::AssertionResult moved = MovePointerTo(ControlCentreOnScreen(dialog, controlId));
        if (!moved)
            return moved;
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        if (SendInput(2, press, sizeof(INPUT)) != 2)
            return testing::AssertionFailure() << "SendInput failed with error " << GetLastError();
        return testing::AssertionSuccess();
    }
    RECT client{};
    GetClientRect(control, &client);
    const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageW(control, WM_MOUSEMOVE, 0, centre);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageW(control, WM_LBUTTONUP, 0, centre);
    return testing::AssertionSuccess();
}

void PressKey(HWND window, UINT virtualKey)
{
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | (static_cast<LPARAM>(scanCode) << 16);
    const LPARAM up = down | (1L << 30) | (1L << 31);
    PostMessageW(window, WM_KEYDOWN, virtualKey, down);
    PostMessageW(window, WM_KEYUP, virtualKey, up);
}

testing::AssertionResult MovePointerTo(POINT screenPoint)
{
    // SetCursorPos only moves this process's idea of the pointer under Wine; input sent
    // through the system moves the pointer every process sees. Absolute coordinates run
    // from 0 to 65535 across the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = MulDiv(screenPoint.x, 65535, width - 1);
    move.mi.dy = MulDiv(screenPoint.y, 65535, height - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(move));
    return WaitUntil(
        [&] {
            POINT now{};
            GetCursorPos(&now);
            return std::abs(now.x - screenPoint.x) <= 1 && std::abs(now.y - screenPoint.y) <= 1;
        },
        Milliseconds{3000}, "the pointer to reach the point");
}

POINT ControlCentreOnScreen(HWND dialog, int controlId)
{
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, controlId), &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void ParkMouseCursor()
{
    MovePointerTo({GetSystemMetrics(SM_CXSCREEN) - 1, 0});
}

void PostTrayNotify(HWND mainWindow, UINT mouseMessage)
{
    PostMessageW(mainWindow, kTrayNotifyMessage, kTrayIconId, mouseMessage);
}

std::vector<HWND> TrayIconWindows()
{
    std::vector<HWND> icons;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (!tray)
        return icons;
    EnumChildWindows(tray, CollectTrayIcon, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

// ---- the engine ------------------------------------------------------------------------

testing::AssertionResult BringToFront(HWND window, const std::string& what)
{
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window)
                return true;
            SetForegroundWindow(window);
            return false;
        },
        kDeadline, what + " to be in front");
}

HWND FindPopupOf(DWORD programId, HWND mainWindow, const std::wstring& firstLine)
{
    for (HWND window : TopLevelWindowsOf(programId))
        if (window != mainWindow && IsWindowVisible(window) &&
            WindowText(GetDlgItem(window, IDC_POPUP_LINE1)) == firstLine)
            return window;
    return nullptr;
}

testing::AssertionResult PressStart(HWND mainWindow, ClickMethod method)
{
    testing::AssertionResult clicked = ClickControl(mainWindow, IDC_START, method);
    if (!clicked)
        return clicked;
    return WaitUntil([&] { return static_cast<bool>(ShowsExactlyPage(mainWindow, kEnginePage)); },
                     kDeadline, "the Engine page after Start");
}

testing::AssertionResult StartApplication(const std::wstring& name, const std::wstring& folder,
                                          ChildProcess& process, HWND* window,
                                          DWORD creationFlags)
{
    std::wstring failure;
    if (!StartHelperAs(L"boostee", name, folder, name, process, &failure, creationFlags))
        return testing::AssertionFailure() << Narrow(failure);
    HWND shown = nullptr;
    testing::AssertionResult result = WaitUntil(
        [&] {
            for (HWND candidate : TopLevelWindowsOf(process.Id()))
                if (IsWindowVisible(candidate))
                    shown = candidate;
            return shown != nullptr;
        },
        kDeadline, "the window of " + Narrow(name));
    if (window != nullptr)
        *window = shown;
    return result;
}

// ---- the system's task tool ------------------------------------------------------------

namespace {

const wchar_t kDllOverridesKey[] = L"Software\\Wine\\DllOverrides";
const wchar_t kTaskToolModule[] = L"schtasks.exe";
int g_taskStandInUsers = 0;
bool g_taskStandInPlaced = false;

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

std::wstring WinesTaskToolCopy()
{
    return SystemFolder() + L"\\schtasks-wine.exe";
}

void SetNativeTaskTool(bool native)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDllOverridesKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    static const wchar_t nativeOnly[] = L"native";
    if (native)
        RegSetValueExW(key, kTaskToolModule, 0, REG_SZ, reinterpret_cast<const BYTE*>(nativeOnly),
                       sizeof(nativeOnly));
    else
        RegDeleteValueW(key, kTaskToolModule);
    RegCloseKey(key);
}

bool PlaceTaskStandIn()
{
    const std::wstring standIn = HelperPath(L"schtasks");
    const std::wstring tool = SystemTaskToolStandIn::ToolPath();
    const std::wstring winesCopy = WinesTaskToolCopy();
    if (!FileExists(standIn))
        return false;
    // A copy already aside is Wine's own, left there by a run that died.
    if (!FileExists(winesCopy) && FileExists(tool) && !MoveFileW(tool.c_str(), winesCopy.c_str()))
        return false;
    if (!CopyFileW(standIn.c_str(), tool.c_str(), FALSE))
        return false;
    // Wine runs its built-in tool for a system32 file of that name unless told otherwise.
    SetNativeTaskTool(true);
    return true;
}

void PutWinesTaskToolBack()
{
    SetNativeTaskTool(false);
    const std::wstring tool = SystemTaskToolStandIn::ToolPath();
    const std::wstring winesCopy = WinesTaskToolCopy();
    // A stand-in that is just being ended keeps its file busy for a moment.
    WaitUntil(
        [&] {
            return FileExists(winesCopy)
                       ? MoveFileExW(winesCopy.c_str(), tool.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE
                       : DeleteFileW(tool.c_str()) || !FileExists(tool);
        },
        Milliseconds{5000}, "Wine's schtasks.exe to be put back");
}

}  // namespace

std::wstring SystemTaskToolStandIn::ToolPath()
{
    return SystemFolder() + L"\\" + kTaskToolModule;
}

std::wstring SystemTaskToolStandIn::ToolImagePath()
{
    // A 32-bit process on 64-bit Windows that starts a file of the system folder starts
    // its twin in the 32-bit system folder, which the system folder is redirected to.
    BOOL wow64 = FALSE;
    wchar_t folder[MAX_PATH] = {};
    if (IsWow64Process(GetCurrentProcess(), &wow64) && wow64 &&
        GetSystemWow64DirectoryW(folder, MAX_PATH) > 0)
        return std::wstring(folder) + L"\\" + kTaskToolModule;
    return ToolPath();
}

SystemTaskToolStandIn::SystemTaskToolStandIn()
{
    if (g_taskStandInUsers++ == 0)
        g_taskStandInPlaced = PlaceTaskStandIn();
    m_inPlace = g_taskStandInPlaced;
}

SystemTaskToolStandIn::~SystemTaskToolStandIn()
{
    if (--g_taskStandInUsers > 0 || !g_taskStandInPlaced)
        return;
    TerminateAllNamed(kTaskToolModule);
    PutWinesTaskToolBack();
    g_taskStandInPlaced = false;
}

// ---- the program under test ----------------------------------------------------------------

ProgramUnderTest::ProgramUnderTest() : m_exePath(m_folder.File(kProgramFileName))
{
    CopyFileW(ProgramPath().c_str(), m_exePath.c_str(), FALSE);
}

ProgramUnderTest::~ProgramUnderTest()
{
    End();
}

testing::AssertionResult ProgramUnderTest::Start(const StartOptions& options)
{
    if (!FileExists(ProgramPath()))
        return testing::AssertionFailure() << "the program is not built: " << Narrow(ProgramPath());
    if (!FileExists(m_exePath))
        return testing::AssertionFailure() << "cannot copy the program to " << Narrow(m_exePath);
    // The stand-in reads these; the program and its children inherit our environment.
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_folder.File(L"schtasks.log").c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_IMAGES", m_folder.File(L"schtasks-images.log").c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_DEFINITION", m_folder.File(L"schtasks-definition.xml").c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_PROBES", m_folder.File(L"schtasks-probes.log").c_str());
    const wchar_t* hang = options.taskToolHang == TaskToolHang::EveryRun    ? L"1"
                          : options.taskToolHang == TaskToolHang::CreateRun ? L"create"
                                                                            : nullptr;
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", hang);
    const std::wstring wait = std::to_wstring(options.taskToolWait.count());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_WAIT_MS", options.taskToolWait.count() > 0 ? wait.c_str() : nullptr);
    DWORD error = 0;
    const bool started = m_process.Start(m_exePath, options.arguments, &error, 0, options.currentFolder);
    // Later starts of anything else (helpers, a second instance) must not inherit them.
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_HANG", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_WAIT_MS", nullptr);
    if (!started)
        return testing::AssertionFailure()
               << "CreateProcessW of " << Narrow(m_exePath) << " failed with error " << error;
    return testing::AssertionSuccess();
}

std::vector<std::wstring> ProgramUnderTest::TaskToolRuns() const
{
    return ReadLogLines(m_folder.File(L"schtasks.log"));
}

std::vector<std::wstring> ProgramUnderTest::TaskToolImages() const
{
    return ReadLogLines(m_folder.File(L"schtasks-images.log"));
}

std::wstring ProgramUnderTest::TaskToolDefinition() const
{
    std::wstring text = ReadUtf16Text(m_folder.File(L"schtasks-definition.xml"));
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    return text;
}

std::vector<std::wstring> ProgramUnderTest::TaskToolProbes() const
{
    return ReadLogLines(m_folder.File(L"schtasks-probes.log"));
}

DWORD ProgramUnderTest::EndGuard() const
{
    if (!m_process.IsRunning())
        return 0;
    const std::vector<DWORD> guards = EndGuards();
    return guards.empty() ? 0 : guards.front();
}

testing::AssertionResult ProgramUnderTest::WaitForMainWindow(Milliseconds deadline)
{
    bool ended = false;
    auto result = WaitUntil(
        [&] {
            if (!m_process.IsRunning())
            {
                ended = true;
                return true;
            }
            m_mainWindow = FindMainWindow(m_process.Id());
            return m_mainWindow && IsWindowVisible(m_mainWindow);
        },
        deadline, "a visible top-level window captioned \"Vexra\" of the started program");
    if (ended)
    {
        DWORD exitCode = 0;
        GetExitCodeProcess(m_process.Handle(), &exitCode);
        return testing::AssertionFailure()
               << "the program ended with exit code " << exitCode << " before its window showed";
    }
    return result;
}

testing::AssertionResult ProgramUnderTest::StartWithEngine(ClickMethod method)
{
    testing::AssertionResult started = Start();
    if (!started)
        return started;
    testing::AssertionResult shown = WaitForMainWindow();
    if (!shown)
        return shown;
    return PressStart(m_mainWindow, method);
}

testing::AssertionResult ProgramUnderTest::StartSecondInstance(ChildProcess& second)
{
    DWORD error = 0;
    if (!second.Start(m_exePath, L"", &error))
        return testing::AssertionFailure()
               << "CreateProcessW of the second instance failed with error " << error;
    return testing::AssertionSuccess();
}

void ProgramUnderTest::End(Milliseconds politeDeadline)
{
    if (m_process.IsRunning())
    {
        if (HWND window = FindMainWindow(m_process.Id()))
            PostMessageW(window, WM_COMMAND, kTrayExitCommand, 0);
        m_process.WaitForExit(politeDeadline);
    }
    m_process.Terminate();
    m_mainWindow = nullptr;
}

void ProgramTest::SetUp()
{
    EndAllProgramInstances();
    ResetProgramKey();
}

void ProgramTest::TearDown()
{
    EndAllProgramInstances();
    ResetProgramKey();
}

void HelperProgramTest::SetUp()
{
    ProgramTest::SetUp();
    if (!FileExists(HelperPath(L"boostee")))
        GTEST_SKIP() << "the build has no boostee.exe helper (tests/helpers/boostee.cpp)";
    MarkLogonTaskDone();
}

}  // namespace e2e
