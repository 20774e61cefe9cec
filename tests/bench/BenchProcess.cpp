#include "BenchProcess.h"

#include "LinuxAccounting.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace bench {

double NowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

namespace {
ULONGLONG FileTimeTicks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
}  // namespace

double Percentile(std::vector<double> samples, double share)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(share * static_cast<double>(samples.size()));
    const std::size_t index = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

Process::Process(Process&& other) noexcept
    : m_handle(other.m_handle), m_thread(other.m_thread), m_id(other.m_id)
{
    other.m_handle = nullptr;
    other.m_thread = nullptr;
    other.m_id = 0;
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other)
    {
        End();
        m_handle = other.m_handle;
        m_thread = other.m_thread;
        m_id = other.m_id;
        other.m_handle = nullptr;
        other.m_thread = nullptr;
        other.m_id = 0;
    }
    return *this;
}

bool Process::Start(const std::wstring& exePath, const std::wstring& arguments, DWORD creationFlags)
{
    End();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, creationFlags,
                          nullptr, nullptr, &startup, &info))
        return false;
    m_handle = info.hProcess;
    m_thread = info.hThread;
    m_id = info.dwProcessId;
    return true;
}

void Process::Resume()
{
    if (m_thread != nullptr)
        ::ResumeThread(m_thread);
}

void Process::End()
{
    if (m_handle == nullptr)
        return;
    ::TerminateProcess(m_handle, 0);
    ::WaitForSingleObject(m_handle, 5000);
    ::CloseHandle(m_thread);
    ::CloseHandle(m_handle);
    m_handle = nullptr;
    m_thread = nullptr;
    m_id = 0;
}

bool Process::IsRunning() const
{
    return m_handle != nullptr && ::WaitForSingleObject(m_handle, 0) == WAIT_TIMEOUT;
}

namespace {
double ProcessTimesMs(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (process == nullptr || !::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0.0;
    return static_cast<double>(FileTimeTicks(kernel) + FileTimeTicks(user)) / 10000.0;
}
}  // namespace

CpuClock CpuClock::Of(const Process& process, const std::wstring& fileName, int argumentCount)
{
    CpuClock clock;
    if (!LinuxAccountingAvailable())
    {
        clock.m_handle = process.Handle();
        return clock;
    }
    WaitFor(
        [&] {
            clock.m_unixPids = LinuxProcessesNamed(fileName, argumentCount);
            return clock.m_unixPids.size() == 1;
        },
        5000);
    return clock;
}

CpuClock CpuClock::OfAllNamed(const std::wstring& fileName)
{
    CpuClock clock;
    clock.m_unixPids = LinuxProcessesNamed(fileName);
    return clock;
}

CpuClock CpuClock::OfWineServer()
{
    CpuClock clock;
    if (const int server = LinuxWineServer())
        clock.m_unixPids.push_back(server);
    return clock;
}

double CpuClock::Ms() const
{
    if (m_handle != nullptr)
        return ProcessTimesMs(m_handle);
    double sum = 0;
    for (int unixPid : m_unixPids)
        sum += LinuxCpuMs(unixPid);
    return sum;
}

namespace {
struct WindowSearch
{
    DWORD processId;
    const wchar_t* caption;
    HWND found;
};

bool HasCaption(HWND window, const wchar_t* caption)
{
    if (caption == nullptr)
        return true;
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    return std::wcscmp(text, caption) == 0;
}

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && ::IsWindowVisible(window) &&
        HasCaption(window, search->caption))
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND Process::VisibleWindow(const wchar_t* caption) const
{
    WindowSearch search = {m_id, caption, nullptr};
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.rfind(L'\\'));
}

std::wstring MakeTempFolder(const std::wstring& tag)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"vexra-" + tag + L"-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring CopyAs(const std::wstring& source, const std::wstring& folder, const std::wstring& name)
{
    const std::wstring target = folder + L"\\" + name;
    return ::CopyFileW(source.c_str(), target.c_str(), FALSE) ? target : std::wstring();
}

}  // namespace bench
