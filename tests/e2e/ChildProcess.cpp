#include "ChildProcess.h"

#include "Harness.h"

#include <utility>
#include <vector>

namespace e2e {

ChildProcess::~ChildProcess()
{
    Terminate();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)),
      m_processId(std::exchange(other.m_processId, 0))
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other)
    {
        Terminate();
        m_process = std::exchange(other.m_process, nullptr);
        m_processId = std::exchange(other.m_processId, 0);
    }
    return *this;
}

bool ChildProcess::Start(const std::wstring& exePath, const std::wstring& arguments, DWORD* error,
                         DWORD creationFlags, const std::wstring& currentFolder)
{
    Terminate();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    const std::wstring folder =
        currentFolder.empty() ? exePath.substr(0, exePath.find_last_of(L'\\')) : currentFolder;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exePath.c_str(), writable.data(), nullptr, nullptr, FALSE, creationFlags,
                        nullptr, folder.c_str(), &startup, &info))
    {
        if (error)
            *error = GetLastError();
        return false;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
    return true;
}

bool ChildProcess::IsRunning() const
{
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds deadline, DWORD* exitCode) const
{
    if (!m_process)
        return false;
    if (WaitForSingleObject(m_process, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(m_process, exitCode);
    return true;
}

DWORD ChildProcess::PriorityClass() const
{
    return m_process ? GetPriorityClass(m_process) : 0;
}

void ChildProcess::Terminate()
{
    if (IsRunning())
    {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
    }
    Release();
}

void ChildProcess::Release()
{
    if (m_process)
        CloseHandle(m_process);
    m_process = nullptr;
    m_processId = 0;
}

bool StartHelperAs(const std::wstring& helper, const std::wstring& asName,
                   const std::wstring& folder, const std::wstring& arguments,
                   ChildProcess& process, std::wstring* failure, DWORD creationFlags)
{
    const std::wstring source = HelperPath(helper);
    const std::wstring copy = folder + L"\\" + asName;
    if (!FileExists(source))
    {
        if (failure)
            *failure = L"helper not built: " + source;
        return false;
    }
    if (!FileExists(copy) && !CopyFileW(source.c_str(), copy.c_str(), TRUE))
    {
        if (failure)
            *failure = L"cannot copy " + source + L" to " + copy + L", error " +
                       std::to_wstring(GetLastError());
        return false;
    }
    DWORD error = 0;
    if (!process.Start(copy, arguments, &error, creationFlags))
    {
        if (failure)
            *failure = L"cannot start " + copy + L", error " + std::to_wstring(error);
        return false;
    }
    return true;
}

DWORD PriorityClassOf(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return 0;
    DWORD priorityClass = GetPriorityClass(process);
    CloseHandle(process);
    return priorityClass;
}

const char* PriorityClassName(DWORD priorityClass)
{
    switch (priorityClass)
    {
    case IDLE_PRIORITY_CLASS: return "IDLE";
    case BELOW_NORMAL_PRIORITY_CLASS: return "BELOW_NORMAL";
    case NORMAL_PRIORITY_CLASS: return "NORMAL";
    case ABOVE_NORMAL_PRIORITY_CLASS: return "ABOVE_NORMAL";
    case HIGH_PRIORITY_CLASS: return "HIGH";
    case REALTIME_PRIORITY_CLASS: return "REALTIME";
    default: return "unknown";
    }
}

}  // namespace e2e
