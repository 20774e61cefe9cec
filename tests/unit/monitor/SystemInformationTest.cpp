// The System page's refresh against Wine's real WMI, registry and version facts.
#include <gtest/gtest.h>

#include "CStringPrint.h"
#include "RecordingView.h"
#include "monitor/SystemInformation.h"
#include "monitor/WindowsVersionText.h"
#include "settings/SettingsStore.h"

#include <objbase.h>

#include <cwchar>
#include <thread>

namespace {

// Runs the refresh on a thread of its own that is in the given COM state, as the
// dialog's thread is; reports how COM looks on that thread afterwards.
struct ApartmentAfter
{
    HRESULT reinitAsSta = E_FAIL;  // CoInitializeEx(STA) after the refreshes
};

ApartmentAfter RefreshManyTimesOnThread(bool startInSta, int nRuns)
{
    ApartmentAfter after;
    std::thread worker([&] {
        const bool sta = startInSta && SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        RecordingView view;
        SysInfoStrings sysInfo;
        // A gathering of its own each time: every run goes through WMI again.
        for (int i = 0; i < nRuns; ++i)
        {
            CSystemFacts facts(std::make_shared<CWmiSystemFactsSource>());
            RefreshSystemInformation(view, sysInfo, facts);
        }
        after.reinitAsSta = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(after.reinitAsSta))
            CoUninitialize();
        if (sta)
            CoUninitialize();
    });
    worker.join();
    return after;
}

}  // namespace

TEST(SystemInformation, Refresh_FillsTheFactsAndShowsThemInOrder)
{
    RecordingView view;
    SysInfoStrings sysInfo;
    sysInfo[SYSINFO_INSTALLED_MEMORY] = L"kept 4";
    sysInfo[SYSINFO_MEMORY_USAGE] = L"kept 7";
    CSystemFacts facts(std::make_shared<CWmiSystemFactsSource>());
    RefreshSystemInformation(view, sysInfo, facts);

    EXPECT_EQ(view.calls, (std::vector<std::string>{"text 1022", "text 1024", "text 1026", "text 1030"}));

    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    EXPECT_EQ(_wcsicmp(sysInfo[SYSINFO_COMPUTER_NAME], computer), 0)
        << NarrowForTest(sysInfo[SYSINFO_COMPUTER_NAME]) << " vs " << NarrowForTest(computer);
    EXPECT_EQ(view.texts[1022], sysInfo[SYSINFO_COMPUTER_NAME]);

    EXPECT_EQ(sysInfo[SYSINFO_EDITION].str().rfind(L"Microsoft ", 0), 0u) << NarrowForTest(sysInfo[SYSINFO_EDITION]);
    EXPECT_EQ(view.texts[1024], sysInfo[SYSINFO_EDITION]);

    // "System Type" shows the version numbers, not the processor architecture.
    int major = -1, minor = -1, build = -1, servicePack = -1, buildAgain = -1;
    ASSERT_EQ(swscanf(sysInfo[SYSINFO_VERSION_NUMBERS], L"%d.%d.%d Service Pack %d Build %d", &major, &minor,
                      &build, &servicePack, &buildAgain), 5)
        << NarrowForTest(sysInfo[SYSINFO_VERSION_NUMBERS]);
    EXPECT_EQ(build, buildAgain);
    CString rebuilt;
    rebuilt.Format(L"%d.%d.%d Service Pack %d Build %d", major, minor, build, servicePack, buildAgain);
    EXPECT_EQ(rebuilt, sysInfo[SYSINFO_VERSION_NUMBERS]) << "nothing before or after the numbers";
    EXPECT_EQ(view.texts[1030], sysInfo[SYSINFO_VERSION_NUMBERS]);

    EXPECT_EQ(sysInfo[SYSINFO_PROCESSOR],
              ReadRegString(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                            L"ProcessorNameString"));
    EXPECT_EQ(view.texts[1026], sysInfo[SYSINFO_PROCESSOR]);

    EXPECT_EQ(sysInfo[SYSINFO_INSTALLED_MEMORY], L"kept 4");
    EXPECT_EQ(sysInfo[SYSINFO_MEMORY_USAGE], L"kept 7");
}

TEST(SystemInformation, ManyRefreshesOnAnStaThread_LeaveItsApartmentAsItWas)
{
    // Still an STA holding exactly its own initialisation: a new STA call only counts up.
    EXPECT_EQ(RefreshManyTimesOnThread(true, 12).reinitAsSta, S_FALSE);
}

TEST(SystemInformation, ManyRefreshesOnAThreadWithoutCom_LeaveNoApartmentBehind)
{
    // Had a refresh kept its multithreaded initialisation, the STA call would fail with
    // RPC_E_CHANGED_MODE.
    EXPECT_EQ(RefreshManyTimesOnThread(false, 12).reinitAsSta, S_OK);
}
