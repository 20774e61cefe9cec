// Times the real engine's foreground cycle against real processes, in this process: with
// the same application in front on every cycle, and with the front changing on every
// cycle; beside one bare enumeration of the process list, measured in the same run.
// Usage: cycle_bench.exe <boostee.exe> <cycles>. Prints key=value lines.
#include "BenchProcess.h"

#include "endofrun/EndOfRun.h"
#include "engine/BoostEngine.h"
#include "engine/Win32ProcessSystem.h"

#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// The real system, with the window in front chosen by the benchmark: a desktop without a
// window manager cannot be trusted to switch the front on every cycle.
class ChosenFrontSystem : public CWin32ProcessSystem
{
public:
    HWND GetForegroundWindow() override { return m_front; }
    void SetFront(HWND front) { m_front = front; }

private:
    HWND m_front = nullptr;
};

class SilentView : public IBoostView
{
public:
    void SetProcessCountText(const CString&) override {}
    void SetFocusAppText(const CString&) override {}
    void ShowBoostPopup(const CString&, const CString&) override {}
    void UpdateNow() override {}
};

struct Timing
{
    double p50;
    double p99;
};

template <typename Work>
Timing TimeEach(int count, Work work)
{
    std::vector<double> samples;
    samples.reserve(count);
    for (int i = 0; i < count; ++i)
    {
        const double start = bench::NowMs();
        work(i);
        samples.push_back(bench::NowMs() - start);
    }
    return {bench::Percentile(samples, 0.50), bench::Percentile(samples, 0.99)};
}

bool StartApplication(const std::wstring& boostee, const std::wstring& folder,
                      const std::wstring& name, bench::Process& process, HWND& window)
{
    const std::wstring copy = bench::CopyAs(boostee, folder, name);
    if (copy.empty() || !process.Start(copy, name))
        return false;
    return bench::WaitFor([&] { return (window = process.VisibleWindow()) != nullptr; }, 20000);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: cycle_bench.exe <boostee.exe> <cycles>\n");
        return 2;
    }
    const std::wstring boostee = argv[1];
    const int cycles = std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));

    const std::wstring folder = bench::MakeTempFolder(L"cycle-bench");
    bench::Process alpha;
    bench::Process beta;
    HWND alphaWindow = nullptr;
    HWND betaWindow = nullptr;
    if (!StartApplication(boostee, folder, L"benchalpha.exe", alpha, alphaWindow) ||
        !StartApplication(boostee, folder, L"benchbeta.exe", beta, betaWindow))
    {
        std::fprintf(stderr, "cycle_bench: the two applications did not start\n");
        return 1;
    }

    ChosenFrontSystem system;
    SilentView view;
    CEndOfRun endOfRun(system);
    CBoostEngine engine(system, view, endOfRun);
    engine.Start();

    // The first cycles learn what runs; the figures are for the cycles after them.
    system.SetFront(alphaWindow);
    for (int i = 0; i < 5; ++i)
        engine.RunForegroundCycle();

    const Timing steady = TimeEach(cycles, [&](int) { engine.RunForegroundCycle(); });
    const Timing changing = TimeEach(cycles, [&](int i) {
        system.SetFront(i % 2 == 0 ? betaWindow : alphaWindow);
        engine.RunForegroundCycle();
    });
    static DWORD pids[5000];
    const Timing enumeration = TimeEach(cycles, [&](int) {
        DWORD bytes = 0;
        ::EnumProcesses(pids, sizeof(pids), &bytes);
    });

    std::printf("cycle_steady_p50_ms=%.3f\ncycle_steady_p99_ms=%.3f\n", steady.p50, steady.p99);
    std::printf("cycle_change_p50_ms=%.3f\ncycle_change_p99_ms=%.3f\n", changing.p50, changing.p99);
    std::printf("enum_p50_ms=%.3f\nenum_p99_ms=%.3f\n", enumeration.p50, enumeration.p99);

    alpha.End();
    beta.End();
    ::DeleteFileW((folder + L"\\benchalpha.exe").c_str());
    ::DeleteFileW((folder + L"\\benchbeta.exe").c_str());
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
