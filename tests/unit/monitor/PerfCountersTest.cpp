// The counter set and the sampling step against a stand-in for PDH (Wine's PDH always
// reads 5, knows no memory counter and never reports a first sample as invalid), plus
// one run against Wine's real PDH.
#include <gtest/gtest.h>

#include "CStringPrint.h"
#include "RecordingView.h"
#include "monitor/MemoryTexts.h"
#include "monitor/PerfCounters.h"
#include "monitor/PerformanceTexts.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr PDH_STATUS kNoSuchCounter = static_cast<PDH_STATUS>(0xC0000BB9);
constexpr PDH_STATUS kFailed = static_cast<PDH_STATUS>(0xC0000BC6);
constexpr DWORD kInvalidData = 0x800007D1;  // PDH_CSTATUS_INVALID_DATA

const wchar_t kCpuPath[] = L"\\Processor(_Total)\\% Processor Time";
const wchar_t kMemPath[] = L"\\Memory\\% Committed Bytes In Use";

class FakePdh : public IPdhApi
{
public:
    struct Reading
    {
        PDH_STATUS status = ERROR_SUCCESS;
        DWORD cstatus = PDH_CSTATUS_VALID_DATA;
        LONG value = 0;
        PDH_STATUS rawStatus = ERROR_SUCCESS;
    };

    std::set<std::wstring> unknownPaths;
    std::map<std::wstring, Reading> readings;  // by counter path
    PDH_STATUS collectStatus = ERROR_SUCCESS;
    std::map<std::wstring, DWORD_PTR> userDataByPath;
    DWORD_PTR openUserData = 0;
    int rawReads = 0;

    PDH_STATUS OpenQuery(DWORD_PTR userData, PDH_HQUERY* phQuery) override
    {
        openUserData = userData;
        *phQuery = reinterpret_cast<PDH_HQUERY>(0x51);
        return ERROR_SUCCESS;
    }
    PDH_STATUS AddCounter(PDH_HQUERY, LPCWSTR pszPath, DWORD_PTR userData, PDH_HCOUNTER* phCounter) override
    {
        if (unknownPaths.count(pszPath))
            return kNoSuchCounter;
        m_paths.push_back(pszPath);
        userDataByPath[pszPath] = userData;
        *phCounter = reinterpret_cast<PDH_HCOUNTER>(m_paths.size());
        return ERROR_SUCCESS;
    }
    PDH_STATUS CollectQueryData(PDH_HQUERY) override { return collectStatus; }
    PDH_STATUS GetFormattedCounterValue(PDH_HCOUNTER hCounter, DWORD dwFormat, PDH_FMT_COUNTERVALUE* pValue) override
    {
        EXPECT_EQ(dwFormat, static_cast<DWORD>(PDH_FMT_LONG));
        const Reading& reading = readings[PathOf(hCounter)];
        pValue->CStatus = reading.cstatus;
        pValue->longValue = reading.value;
        return reading.status;
    }
    PDH_STATUS GetRawCounterValue(PDH_HCOUNTER hCounter, PDH_RAW_COUNTER* pValue) override
    {
        const Reading& reading = readings[PathOf(hCounter)];
        if (reading.rawStatus != ERROR_SUCCESS)
            return reading.rawStatus;
        pValue->CStatus = PDH_CSTATUS_VALID_DATA;
        pValue->FirstValue = ++rawReads;  // numbers the samples in the order taken
        return ERROR_SUCCESS;
    }
    PDH_STATUS CloseQuery(PDH_HQUERY) override { return ERROR_SUCCESS; }

private:
    std::wstring PathOf(PDH_HCOUNTER hCounter) const
    {
        return m_paths.at(reinterpret_cast<size_t>(hCounter) - 1);
    }
    std::vector<std::wstring> m_paths;
};

class FakeMemory : public IMemoryStatus
{
public:
    DWORDLONG total = 8ull << 30;
    DWORDLONG available = 3ull << 30;
    DWORD seenLength = 0;
    void Read(MEMORYSTATUSEX& status) override
    {
        seenLength = status.dwLength;
        status.ullTotalPhys = total;
        status.ullAvailPhys = available;
    }
};

constexpr unsigned long long kGiB = 1ull << 30;

}  // namespace

// ---- The counter set ---------------------------------------------------------------

TEST(PerfCounters, AddCounter_IndexesOnlySuccessfulAddsAndPassesTheRecordAsUserData)
{
    FakePdh pdh;
    pdh.unknownPaths.insert(kMemPath);
    CPerfCounters counters(pdh);
    int cpu = -5;
    int mem = -5;
    OpenPerformanceCounters(counters, cpu, mem);
    EXPECT_EQ(pdh.openUserData, 1u);
    EXPECT_EQ(cpu, 0);
    EXPECT_EQ(mem, -1);
    EXPECT_EQ(counters.AddCounter(L"\\System\\System Up Time"), 1) << "a failed add must not use up an index";
    EXPECT_EQ(pdh.userDataByPath[kCpuPath], reinterpret_cast<DWORD_PTR>(counters.FindCounter(0)));
    EXPECT_EQ(counters.GetCounterValue(mem), PERF_VALUE_UNREADABLE);
}

TEST(PerfCounters, GetCounterValue_UnknownIndexOrBadReading_ReadsMinus999)
{
    FakePdh pdh;
    CPerfCounters counters(pdh);
    counters.OpenQuery();
    const int cpu = counters.AddCounter(kCpuPath);
    EXPECT_EQ(counters.GetCounterValue(cpu + 1), PERF_VALUE_UNREADABLE);
    EXPECT_EQ(counters.GetCounterValue(-1), PERF_VALUE_UNREADABLE);

    pdh.readings[kCpuPath].value = 37;
    EXPECT_EQ(counters.GetCounterValue(cpu), 37);

    // A rate counter's first sample is not valid: the stored value stays as it was.
    pdh.readings[kCpuPath] = {ERROR_SUCCESS, kInvalidData, 80, ERROR_SUCCESS};
    EXPECT_EQ(counters.GetCounterValue(cpu), PERF_VALUE_UNREADABLE);
    EXPECT_EQ(counters.FindCounter(cpu)->value, 37);

    pdh.readings[kCpuPath] = {kFailed, PDH_CSTATUS_VALID_DATA, 81, ERROR_SUCCESS};
    EXPECT_EQ(counters.GetCounterValue(cpu), PERF_VALUE_UNREADABLE);
    EXPECT_EQ(counters.FindCounter(cpu)->value, 37);

    // A failed raw read fails the reading, but the new formatted value is kept.
    pdh.readings[kCpuPath] = {ERROR_SUCCESS, PDH_CSTATUS_VALID_DATA, 82, kFailed};
    EXPECT_EQ(counters.GetCounterValue(cpu), PERF_VALUE_UNREADABLE);
    EXPECT_EQ(counters.FindCounter(cpu)->value, 82);
    EXPECT_EQ(counters.FindCounter(cpu)->rawCount, 1);
}

TEST(PerfCounters, RawRing_KeepsTheLast20SamplesInOrder)
{
    FakePdh pdh;
    CPerfCounters counters(pdh);
    counters.OpenQuery();
    const int cpu = counters.AddCounter(kCpuPath);
    const _tag_PDHCounterStruct* record = counters.FindCounter(cpu);
    ASSERT_NE(record, nullptr);

    for (int reading = 1; reading <= 19; ++reading)
    {
        ASSERT_GE(counters.GetCounterValue(cpu), 0);
        EXPECT_EQ(record->rawCount, reading);
        EXPECT_EQ(record->nextRawSlot, reading);
        EXPECT_EQ(record->oldestRawSlot, 0);
    }
    for (int reading = 20; reading <= 47; ++reading)
    {
        ASSERT_GE(counters.GetCounterValue(cpu), 0);
        EXPECT_EQ(record->rawCount, PERF_RAW_RING_SIZE);
        EXPECT_EQ(record->nextRawSlot, reading % PERF_RAW_RING_SIZE);
        EXPECT_EQ(record->oldestRawSlot, record->nextRawSlot);
    }
    // From the oldest slot on, the ring holds samples 28 to 47 in the order taken.
    for (int k = 0; k < PERF_RAW_RING_SIZE; ++k)
        EXPECT_EQ(record->rawValues[(record->oldestRawSlot + k) % PERF_RAW_RING_SIZE].FirstValue, 28 + k);

    // A failed raw read leaves the ring alone.
    pdh.readings[kCpuPath].rawStatus = kFailed;
    const int nextBefore = record->nextRawSlot;
    const LONGLONG newestBefore = record->rawValues[(nextBefore + PERF_RAW_RING_SIZE - 1) % PERF_RAW_RING_SIZE].FirstValue;
    EXPECT_EQ(counters.GetCounterValue(cpu), PERF_VALUE_UNREADABLE);
    EXPECT_EQ(record->nextRawSlot, nextBefore);
    EXPECT_EQ(record->rawValues[nextBefore].FirstValue, 28) << "the slot to be written next still holds the oldest";
    EXPECT_EQ(record->rawValues[(nextBefore + PERF_RAW_RING_SIZE - 1) % PERF_RAW_RING_SIZE].FirstValue, newestBefore);
}

// ---- The sampling step -------------------------------------------------------------

class SamplingStepTest : public testing::Test
{
protected:
    void SetUp() override { OpenPerformanceCounters(m_counters, m_cpu, m_mem); }

    void Step()
    {
        m_view.calls.clear();
        m_view.texts.clear();
        UpdatePerformanceTexts(m_view, m_counters, m_cpu, m_mem, m_sysInfo, m_memory);
    }

    FakePdh m_pdh;
    CPerfCounters m_counters{m_pdh};
    int m_cpu = -1;
    int m_mem = -1;
    SysInfoStrings m_sysInfo;
    RecordingView m_view;
    FakeMemory m_memory;
};

TEST_F(SamplingStepTest, FirstStepWithInvalidProcessorSample_LeavesCpuTextAndShowsTheRest)
{
    m_pdh.readings[kCpuPath].cstatus = kInvalidData;
    m_pdh.readings[kMemPath].value = 42;
    Step();
    EXPECT_EQ(m_view.calls, (std::vector<std::string>{"text 1028", "text 1037", "invalidate 1028",
                                                       "invalidate 1037", "update"}));
    EXPECT_EQ(m_view.texts[1037], L"Usage:42%");
    EXPECT_EQ(m_view.texts[1028], L"9 GB (4 GB Usable)");
    EXPECT_EQ(m_sysInfo[SYSINFO_MEMORY_USAGE], L"Usage:42%");
    EXPECT_EQ(m_sysInfo[SYSINFO_INSTALLED_MEMORY], L"9 GB (4 GB Usable)");
    EXPECT_EQ(m_memory.seenLength, 64u);

    m_pdh.readings[kCpuPath] = FakePdh::Reading{};
    m_pdh.readings[kCpuPath].value = 5;
    Step();
    EXPECT_EQ(m_view.calls, (std::vector<std::string>{"text 1036", "invalidate 1036", "text 1028", "text 1037",
                                                       "invalidate 1028", "invalidate 1037", "update"}));
    EXPECT_EQ(m_view.texts[1036], L"Usage:5%");
}

TEST_F(SamplingStepTest, FailedMemoryReading_KeepsThePreviousMemoryText)
{
    m_pdh.readings[kMemPath].value = 42;
    Step();
    m_pdh.readings[kMemPath].cstatus = kInvalidData;
    m_pdh.readings[kCpuPath].value = 9;
    Step();
    EXPECT_EQ(m_view.texts[1037], L"Usage:42%");
    EXPECT_EQ(m_view.texts[1036], L"Usage:9%");
}

TEST_F(SamplingStepTest, MissingMemoryCounter_NeverShowsTheFailureValue)
{
    FakePdh pdh;
    pdh.unknownPaths.insert(kMemPath);
    CPerfCounters counters(pdh);
    int cpu = -1;
    int mem = -1;
    OpenPerformanceCounters(counters, cpu, mem);
    UpdatePerformanceTexts(m_view, counters, cpu, mem, m_sysInfo, m_memory);
    EXPECT_EQ(m_view.texts[1037], L"");
    EXPECT_EQ(m_view.texts[1036], L"Usage:0%");
}

TEST_F(SamplingStepTest, FailedCollection_StillShowsInstalledMemoryAndTheOldUsage)
{
    m_pdh.readings[kMemPath].value = 42;
    Step();
    m_pdh.collectStatus = kFailed;
    m_pdh.readings[kMemPath].value = 77;
    m_memory.total = 16 * kGiB;
    Step();
    EXPECT_EQ(m_view.texts.count(1036), 0u);
    EXPECT_EQ(m_view.texts[1037], L"Usage:42%");
    EXPECT_EQ(m_view.texts[1028], L"17 GB (4 GB Usable)");
}

TEST(MemoryTexts, InstalledMemory_TruncatesThenAddsOneGibibyte)
{
    const unsigned long long sevenPointNine = 7 * kGiB + 9 * kGiB / 10;
    EXPECT_EQ(InstalledMemoryText(sevenPointNine, 4 * kGiB / 10), u"8 GB (1 GB Usable)");
    EXPECT_EQ(InstalledMemoryText(8 * kGiB, 8 * kGiB - 1), u"9 GB (8 GB Usable)");
    EXPECT_EQ(InstalledMemoryText(0, 0), u"1 GB (1 GB Usable)");
    EXPECT_EQ(InstalledMemoryText(5000 * kGiB, 4096 * kGiB), u"5001 GB (4097 GB Usable)");
    EXPECT_EQ(UsageText(100), u"Usage:100%");
}

// ---- Adding a counter by its English path ------------------------------------------

namespace {

// Records which of the two adds ran, with what.
struct AddCounterLog
{
    std::vector<std::wstring> calls;
};
AddCounterLog g_addLog;

PDH_STATUS WINAPI RecordEnglishAdd(PDH_HQUERY, LPCWSTR pszPath, DWORD_PTR userData,
                                   PDH_HCOUNTER* phCounter)
{
    g_addLog.calls.push_back(L"english " + std::wstring(pszPath) + L" " + std::to_wstring(userData));
    *phCounter = reinterpret_cast<PDH_HCOUNTER>(0xE1);
    return ERROR_SUCCESS;
}

// A German Windows: PdhAddCounterW knows "\Prozessor(_Total)\Prozessorzeit (%)" only.
PDH_STATUS WINAPI RecordLocalizedAdd(PDH_HQUERY, LPCWSTR pszPath, DWORD_PTR userData,
                                     PDH_HCOUNTER* phCounter)
{
    g_addLog.calls.push_back(L"localized " + std::wstring(pszPath) + L" " + std::to_wstring(userData));
    *phCounter = reinterpret_cast<PDH_HCOUNTER>(0x10);
    return kNoSuchCounter;
}

}  // namespace

TEST(PerfCountersEnglishPaths, EnglishAddPresent_TakesThePathAndNothingElseRuns)
{
    g_addLog = {};
    PDH_HCOUNTER counter = nullptr;
    EXPECT_EQ(AddCounterByEnglishPath({&RecordEnglishAdd, &RecordLocalizedAdd}, nullptr, kCpuPath, 42,
                                      &counter),
              static_cast<PDH_STATUS>(ERROR_SUCCESS));
    EXPECT_EQ(counter, reinterpret_cast<PDH_HCOUNTER>(0xE1));
    ASSERT_EQ(g_addLog.calls.size(), 1u);
    EXPECT_EQ(g_addLog.calls[0], L"english " + std::wstring(kCpuPath) + L" 42");
}

TEST(PerfCountersEnglishPaths, EnglishAddMissing_FallsBackToTheLocalizedAdd)
{
    g_addLog = {};
    PDH_HCOUNTER counter = nullptr;
    EXPECT_EQ(AddCounterByEnglishPath({nullptr, &RecordLocalizedAdd}, nullptr, kMemPath, 7, &counter),
              kNoSuchCounter);
    ASSERT_EQ(g_addLog.calls.size(), 1u);
    EXPECT_EQ(g_addLog.calls[0], L"localized " + std::wstring(kMemPath) + L" 7");
}

// ---- Wine's real PDH ----------------------------------------------------------------

TEST(PerfCountersSystem, EnglishAdd_IsFoundInPdh)
{
    const PdhAddCounterCalls calls = SystemPdhAddCounterCalls();
    EXPECT_NE(calls.addEnglish, nullptr) << "pdh.dll exports PdhAddEnglishCounterW from Vista on";
    EXPECT_NE(calls.addLocalized, nullptr);
}

TEST(PerfCountersSystem, ProcessorCounter_AddsAndReadsAPercentage)
{
    CPerfCounters counters;
    int cpu = -1;
    int mem = -1;
    OpenPerformanceCounters(counters, cpu, mem);
    ASSERT_EQ(cpu, 0);
    // A rate counter needs two collections on Windows before its value is valid.
    ASSERT_EQ(counters.CollectQueryData(), static_cast<PDH_STATUS>(ERROR_SUCCESS));
    Sleep(100);
    ASSERT_EQ(counters.CollectQueryData(), static_cast<PDH_STATUS>(ERROR_SUCCESS));
    const LONG value = counters.GetCounterValue(cpu);
    EXPECT_GE(value, 0);
    EXPECT_LE(value, 100);
    EXPECT_EQ(counters.FindCounter(cpu)->rawCount, 1);
}
