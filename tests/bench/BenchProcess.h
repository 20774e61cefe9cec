// What the benchmark's programs share: processes they start, a clock, and percentiles.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// Milliseconds on the high-resolution clock.
double NowMs();


// The value below which `share` (0..1) of the samples lie (nearest rank); 0 without samples.
double Percentile(std::vector<double> samples, double share);

// A process the benchmark started; ended (and waited for) when the object goes.
class Process
{
public:
    Process() = default;
    ~Process() { End(); }
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `exePath` with `arguments` and the creation flags (a priority class,
    // CREATE_SUSPENDED). False when CreateProcessW failed.
    bool Start(const std::wstring& exePath, const std::wstring& arguments = L"",
               DWORD creationFlags = 0);
    // Lets the first thread of a process started suspended run.
    void Resume();
    // Ends it at once and waits for it to be gone.
    void End();

    bool IsRunning() const;
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_handle; }
    // A visible top-level window of the process (with this caption, when one is given),
    // or NULL.
    HWND VisibleWindow(const wchar_t* caption = nullptr) const;

private:
    HANDLE m_handle = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_id = 0;
};

// The CPU time the operating system has accounted to one process: Linux's accounting of
// its Wine process under Wine, GetProcessTimes on Windows.
class CpuClock
{
public:
    // The clock of `process`, whose command line has the file name `fileName` and
    // `argumentCount` arguments in all (so a copy started with other arguments is not
    // taken for it). Waits a little for a process that is just starting.
    static CpuClock Of(const Process& process, const std::wstring& fileName, int argumentCount);
    // The clock of every process of this prefix named `fileName`, summed.
    static CpuClock OfAllNamed(const std::wstring& fileName);
    // The clock of this prefix's wineserver, which works for every Wine process.
    static CpuClock OfWineServer();

    double Ms() const;

private:
    HANDLE m_handle = nullptr;   // not owned
    std::vector<int> m_unixPids;
};

// The folder of this executable, without the trailing backslash.
std::wstring OwnFolder();
// A new folder under %TEMP% named after `tag` and this process.
std::wstring MakeTempFolder(const std::wstring& tag);
// Copies `source` to `folder\name`; returns the copy's path, empty on failure.
std::wstring CopyAs(const std::wstring& source, const std::wstring& folder,
                    const std::wstring& name);

// Runs `condition` about every `stepMs` until it holds or `timeoutMs` passed.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs, DWORD stepMs = 10)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;)
    {
        if (condition())
            return true;
        if (::GetTickCount64() > deadline)
            return false;
        ::Sleep(stepMs);
    }
}

}  // namespace bench
