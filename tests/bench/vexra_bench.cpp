// The benchmark's driver: with N background processes running, it measures the real
// program from outside, each figure beside a bare reference measured in the same run, and
// prints one CSV row (or the header with --header).
//
//   vexra_bench.exe --background N --exe <VEXRA-by-Teskor.exe> --boostee <boostee.exe>
//                   [--seconds S] [--trials K] [--cycles C]
//
// CPU figures are the user plus kernel time the system accounts to a process over S
// seconds, in per cent of one core. The program is started as a user starts it, Start is
// pressed, and a window of the benchmark's own is brought to the front before the engine's
// figures are taken.
#include "BenchProcess.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr UINT kStartButton = 1014;
constexpr UINT kEngineTitle = 1032;      // shown once the Engine page is up
constexpr UINT kExitCommand = 32772;
constexpr DWORD kBoostDeadlineMs = 1000;  // a boost later than this counts as missed

struct Options
{
    int background = 0;
    std::wstring exe;
    std::wstring boostee;
    int seconds = 10;
    int trials = 40;
    int cycles = 400;
};

struct CpuShare
{
    double process = 0;  // per cent of one core
    double server = 0;   // what the wineserver spent meanwhile, mostly on the process's calls
};

struct Row
{
    int background = 0;
    int processes = 0;
    CpuShare cpuBeforeStart;
    CpuShare cpuBarePoll;
    CpuShare cpuEngine;
    double answerP50 = 0, answerP99 = 0, answerMax = 0;
    double boostP50 = 0, boostP90 = 0, boostMax = 0;
    double listedP50 = 0, listedP90 = 0;   // start to first listed: the bare reference
    int boostMisses = 0, boostTrials = 0;
    double peakWorkingSetMb = 0;
    std::map<std::string, double> cycle;  // from cycle_bench.exe
};

const char kHeader[] =
    "background,processes,cpu_before_start_pct,cpu_bare_poll_pct,cpu_engine_pct,cpu_ratio,"
    "answer_p50_ms,answer_p99_ms,answer_max_ms,boost_p50_ms,boost_p90_ms,boost_max_ms,"
    "boost_misses,boost_trials,peak_working_set_mb,cycle_steady_p50_ms,cycle_steady_p99_ms,"
    "cycle_change_p50_ms,cycle_change_p99_ms,enum_p50_ms,cycle_steady_per_enum,"
    "server_before_start_pct,server_bare_poll_pct,server_engine_pct,listed_p50_ms,listed_p90_ms";

void Progress(const char* what)
{
    std::fprintf(stderr, "vexra_bench: %s\n", what);
    std::fflush(stderr);
}

int CountProcesses()
{
    static DWORD pids[8192];
    DWORD bytes = 0;
    ::EnumProcesses(pids, sizeof(pids), &bytes);
    return static_cast<int>(bytes / sizeof(DWORD));
}

DWORD PriorityClassOf(const bench::Process& process)
{
    return ::GetPriorityClass(process.Handle());
}

// What the process used over `seconds`, in per cent of one core.
CpuShare MeasureCpu(const bench::CpuClock& process, int seconds)
{
    const bench::CpuClock server = bench::CpuClock::OfWineServer();
    const double processBefore = process.Ms();
    const double serverBefore = server.Ms();
    const double wallBefore = bench::NowMs();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double wall = bench::NowMs() - wallBefore;
    CpuShare share;
    if (wall > 0)
    {
        share.process = 100.0 * (process.Ms() - processBefore) / wall;
        share.server = 100.0 * (server.Ms() - serverBefore) / wall;
    }
    return share;
}

// Starting processes under Wine takes CPU for a while after CreateProcess; the figures are
// taken once the background and the wineserver have gone quiet.
void WaitUntilQuiet()
{
    const bench::CpuClock background = bench::CpuClock::OfAllNamed(L"bench_idle.exe");
    const bench::CpuClock server = bench::CpuClock::OfWineServer();
    double last = background.Ms() + server.Ms();
    bench::WaitFor(
        [&] {
            const double now = background.Ms() + server.Ms();
            const bool quiet = now - last < 5.0;
            last = now;
            return quiet;
        },
        60000, 500);
}

// The program skips setting up its logon task when its key says it was done.
void MarkLogonTaskDone()
{
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VexraUi", 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t done[] = L"2";
    ::RegSetValueExW(key, L"Schedinfo", 0, REG_SZ, reinterpret_cast<const BYTE*>(done),
                     sizeof(done));
    ::RegCloseKey(key);
}

bool BringToFront(HWND window)
{
    return bench::WaitFor(
        [&] {
            if (::GetForegroundWindow() == window)
                return true;
            ::SetForegroundWindow(window);
            return false;
        },
        20000, 20);
}

void MeasureAnswerTime(HWND mainWindow, int seconds, Row& row)
{
    std::vector<double> samples;
    const double end = bench::NowMs() + seconds * 1000.0;
    while (bench::NowMs() < end)
    {
        const double start = bench::NowMs();
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        samples.push_back(bench::NowMs() - start);
        ::Sleep(10);
    }
    row.answerP50 = bench::Percentile(samples, 0.50);
    row.answerP99 = bench::Percentile(samples, 0.99);
    row.answerMax = bench::Percentile(samples, 1.0);
}

// Watches, from a thread of its own, for the next process to come into the process list
// and for the moment it first runs at real-time. Under Wine CreateProcessW returns long
// after the program has boosted the new process, and the process is listed only once its
// Linux side runs; so the start is taken just before CreateProcessW, and the moment the
// process is first listed, which is when any watcher could first see it, is kept beside
// as the bare reference.
class BoostObserver
{
public:
    BoostObserver() : m_baseline(ListProcesses()) {}

    void Start() { m_thread = ::CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    void Finish()
    {
        ::WaitForSingleObject(m_thread, INFINITE);
        ::CloseHandle(m_thread);
    }
    // On the NowMs clock; negative when not seen within the deadline.
    double ListedAt() const { return m_listedAt; }
    double BoostedAt() const { return m_boostedAt; }

private:
    static std::vector<DWORD> ListProcesses()
    {
        std::vector<DWORD> pids(8192);
        DWORD bytes = 0;
        ::EnumProcesses(pids.data(), static_cast<DWORD>(pids.size() * sizeof(DWORD)), &bytes);
        pids.resize(bytes / sizeof(DWORD));
        std::sort(pids.begin(), pids.end());
        return pids;
    }

    static DWORD WINAPI Run(LPVOID self)
    {
        static_cast<BoostObserver*>(self)->Observe();
        return 0;
    }

    DWORD FindNewProcess() const
    {
        const std::vector<DWORD> now = ListProcesses();
        for (DWORD pid : now)
            if (!std::binary_search(m_baseline.begin(), m_baseline.end(), pid))
                return pid;
        return 0;
    }

    void Observe()
    {
        const double deadline = bench::NowMs() + kBoostDeadlineMs;
        DWORD pid = 0;
        while (pid == 0 && bench::NowMs() < deadline)
            pid = FindNewProcess();
        HANDLE process = pid != 0 ? ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid) : nullptr;
        if (process == nullptr)
            return;
        m_listedAt = bench::NowMs();
        // The class is read as fast as it can be, yielding the core between reads.
        bool boosted = false;
        while (!boosted && bench::NowMs() < deadline)
        {
            boosted = ::GetPriorityClass(process) == REALTIME_PRIORITY_CLASS;
            if (!boosted)
                ::SwitchToThread();
        }
        if (boosted)
            m_boostedAt = bench::NowMs();
        ::CloseHandle(process);
    }

    std::vector<DWORD> m_baseline;
    HANDLE m_thread = nullptr;
    double m_listedAt = -1.0;
    double m_boostedAt = -1.0;
};

// Starts a new program `trials` times and times how long it runs before the program has
// raised it to real-time. The new program is named as a namesake of the application in
// front ("benchfront2" contains "benchfront"), so the cycles after its start keep it at
// real-time instead of lowering it at once: what is measured is the boost, not a race with
// the next cycle.
void MeasureStartToBoost(const std::wstring& newApp, int trials, Row& row)
{
    std::vector<double> boosts;
    std::vector<double> listings;
    for (int i = 0; i < trials; ++i)
    {
        BoostObserver observer;
        observer.Start();
        bench::Process started;
        const double start = bench::NowMs();
        const bool launched = started.Start(newApp);
        observer.Finish();
        if (!launched)
            continue;
        ++row.boostTrials;
        if (observer.ListedAt() >= 0)
            listings.push_back(observer.ListedAt() - start);
        if (observer.BoostedAt() >= 0)
            boosts.push_back(observer.BoostedAt() - start);
        else
            ++row.boostMisses;
        started.End();
        // Lets the engine settle back on the application in front before the next start.
        ::Sleep(150);
    }
    row.boostP50 = bench::Percentile(boosts, 0.50);
    row.boostP90 = bench::Percentile(boosts, 0.90);
    row.boostMax = bench::Percentile(boosts, 1.0);
    row.listedP50 = bench::Percentile(listings, 0.50);
    row.listedP90 = bench::Percentile(listings, 0.90);
}

double PeakWorkingSetMb(const bench::Process& program)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(program.Handle(), &counters, sizeof(counters)))
        return 0.0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

void EndProgram(bench::Process& program, HWND mainWindow)
{
    ::PostMessageW(mainWindow, WM_COMMAND, kExitCommand, 0);
    if (::WaitForSingleObject(program.Handle(), 10000) != WAIT_OBJECT_0)
        Progress("the program did not end on Exit; ending it");
    program.End();
}

// Runs cycle_bench.exe and reads its key=value lines.
void RunCycleBench(const Options& options, Row& row)
{
    const std::wstring output = bench::MakeTempFolder(L"bench-out") + L"\\cycle.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE file = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::wstring commandLine = L"\"" + bench::OwnFolder() + L"\\cycle_bench.exe\" \"" +
                               options.boostee + L"\" " + std::to_wstring(options.cycles);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                         &startup, &info))
    {
        ::WaitForSingleObject(info.hProcess, 300000);
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
    ::CloseHandle(file);

    FILE* results = _wfopen(output.c_str(), L"r");
    if (results == nullptr)
        return;
    char key[64];
    double value = 0;
    while (std::fscanf(results, " %63[^=]=%lf", key, &value) == 2)
        row.cycle[key] = value;
    std::fclose(results);
}

double CycleValue(const Row& row, const char* key)
{
    auto found = row.cycle.find(key);
    return found == row.cycle.end() ? 0.0 : found->second;
}

void PrintRow(const Row& row)
{
    const double enumP50 = CycleValue(row, "enum_p50_ms");
    const double steadyP50 = CycleValue(row, "cycle_steady_p50_ms");
    std::printf("%d,%d,%.1f,%.1f,%.1f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%d,%d,%.1f,%.3f,%.3f,%.3f,"
                "%.3f,%.3f,%.2f,%.1f,%.1f,%.1f,%.2f,%.2f\n",
                row.background, row.processes, row.cpuBeforeStart.process, row.cpuBarePoll.process,
                row.cpuEngine.process,
                row.cpuBarePoll.process > 0 ? row.cpuEngine.process / row.cpuBarePoll.process : 0.0,
                row.answerP50,
                row.answerP99, row.answerMax, row.boostP50, row.boostP90, row.boostMax,
                row.boostMisses, row.boostTrials, row.peakWorkingSetMb, steadyP50,
                CycleValue(row, "cycle_steady_p99_ms"), CycleValue(row, "cycle_change_p50_ms"),
                CycleValue(row, "cycle_change_p99_ms"), enumP50,
                enumP50 > 0 ? steadyP50 / enumP50 : 0.0, row.cpuBeforeStart.server,
                row.cpuBarePoll.server, row.cpuEngine.server, row.listedP50, row.listedP90);
    std::fflush(stdout);
}

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const std::wstring name = argv[i];
        const wchar_t* value = argv[i + 1];
        if (name == L"--background")
            options.background = static_cast<int>(std::wcstol(value, nullptr, 10));
        else if (name == L"--exe")
            options.exe = value;
        else if (name == L"--boostee")
            options.boostee = value;
        else if (name == L"--seconds")
            options.seconds = static_cast<int>(std::wcstol(value, nullptr, 10));
        else if (name == L"--trials")
            options.trials = static_cast<int>(std::wcstol(value, nullptr, 10));
        else if (name == L"--cycles")
            options.cycles = static_cast<int>(std::wcstol(value, nullptr, 10));
        else
            return false;
    }
    return !options.exe.empty() && !options.boostee.empty() && options.seconds > 0;
}

int RunBenchmark(const Options& options)
{
    Row row;
    row.background = options.background;
    const std::wstring own = bench::OwnFolder();
    const std::wstring scratch = bench::MakeTempFolder(L"bench");

    Progress("starting the background processes");
    std::vector<bench::Process> background(options.background);
    for (bench::Process& process : background)
        if (!process.Start(own + L"\\bench_idle.exe"))
            return 1;
    WaitUntilQuiet();

    Progress("measuring the bare 1 ms list poll");
    {
        bench::Process poll;
        if (!poll.Start(own + L"\\bench_listpoll.exe"))
            return 1;
        const bench::CpuClock clock = bench::CpuClock::Of(poll, L"bench_listpoll.exe", 1);
        ::Sleep(1000);
        row.cpuBarePoll = MeasureCpu(clock, options.seconds);
    }

    Progress("starting the program");
    MarkLogonTaskDone();
    bench::Process program;
    if (!program.Start(options.exe))
        return 1;
    HWND mainWindow = nullptr;
    if (!bench::WaitFor([&] { return (mainWindow = program.VisibleWindow(L"Vexra")) != nullptr; }, 60000))
        return 1;
    // The first pass lowers every process that was there; it is over when the last one is.
    bench::WaitFor(
        [&] {
            for (const bench::Process& process : background)
                if (PriorityClassOf(process) != BELOW_NORMAL_PRIORITY_CLASS)
                    return false;
            return true;
        },
        60000, 50);
    ::Sleep(1000);
    row.processes = CountProcesses();

    Progress("measuring before Start");
    // The program itself, not its helper processes of the same name (they run with
    // arguments of their own).
    const bench::CpuClock programClock = bench::CpuClock::Of(program, L"VEXRA-by-Teskor.exe", 1);
    row.cpuBeforeStart = MeasureCpu(programClock, options.seconds);

    Progress("pressing Start and bringing a window to the front");
    ::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(mainWindow, kStartButton)));
    bench::WaitFor([&] { return ::IsWindowVisible(::GetDlgItem(mainWindow, kEngineTitle)) != FALSE; },
                   20000);
    bench::Process front;
    HWND frontWindow = nullptr;
    const std::wstring frontCopy = bench::CopyAs(options.boostee, scratch, L"benchfront.exe");
    if (!front.Start(frontCopy, L"benchfront") ||
        !bench::WaitFor([&] { return (frontWindow = front.VisibleWindow()) != nullptr; }, 20000) ||
        !BringToFront(frontWindow))
        Progress("no window of the benchmark could be brought to the front");
    bench::WaitFor([&] { return PriorityClassOf(front) == REALTIME_PRIORITY_CLASS; }, 5000);
    ::Sleep(1000);

    Progress("measuring with the engine running");
    row.cpuEngine = MeasureCpu(programClock, options.seconds);
    MeasureAnswerTime(mainWindow, options.seconds, row);
    // Taken before the start trials: each of them is announced with a popup of its own,
    // and forty popups at once are not what a user's day looks like.
    row.peakWorkingSetMb = PeakWorkingSetMb(program);
    MeasureStartToBoost(bench::CopyAs(own + L"\\bench_idle.exe", scratch, L"benchfront2.exe"),
                        options.trials, row);

    EndProgram(program, mainWindow);
    front.End();

    Progress("timing the foreground cycle");
    RunCycleBench(options, row);
    PrintRow(row);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && std::wstring(argv[1]) == L"--header")
    {
        std::printf("%s\n", kHeader);
        return 0;
    }
    Options options;
    if (!ParseOptions(argc, argv, options))
    {
        std::fprintf(stderr,
                     "usage: vexra_bench.exe --background N --exe PATH --boostee PATH "
                     "[--seconds S] [--trials K] [--cycles C] | --header\n");
        return 2;
    }
    return RunBenchmark(options);
}
