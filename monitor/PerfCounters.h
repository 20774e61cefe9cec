// The performance counters behind the Engine page's usage figures: one PDH query with
// the processor and memory counters, each keeping a ring of its last raw samples.
#pragma once

#include "framework/Afx.h"

#include <pdh.h>
#include <pdhmsg.h>

constexpr int PERF_RAW_RING_SIZE = 20;
// What a counter reads when it cannot be read.
constexpr LONG PERF_VALUE_UNREADABLE = -999;

// One counter of the set, owned by the set.
struct _tag_PDHCounterStruct
{
    int index;              // position given when the counter was added
    LONG value;             // last formatted value read; 0 until the first good read
    HCOUNTER counter;
    int nextRawSlot;        // ring slot that receives the next raw sample
    int oldestRawSlot;      // ring slot of the oldest sample once the ring is full
    int rawCount;           // samples held, up to PERF_RAW_RING_SIZE
    PDH_RAW_COUNTER rawValues[PERF_RAW_RING_SIZE];
};

// The PDH calls the counter set makes; tests put a stand-in in their place.
class IPdhApi
{
public:
    virtual PDH_STATUS OpenQuery(DWORD_PTR userData, PDH_HQUERY* phQuery) = 0;
    virtual PDH_STATUS AddCounter(PDH_HQUERY hQuery, LPCWSTR pszPath, DWORD_PTR userData,
                                  PDH_HCOUNTER* phCounter) = 0;
    virtual PDH_STATUS CollectQueryData(PDH_HQUERY hQuery) = 0;
    virtual PDH_STATUS GetFormattedCounterValue(PDH_HCOUNTER hCounter, DWORD dwFormat,
                                                PDH_FMT_COUNTERVALUE* pValue) = 0;
    virtual PDH_STATUS GetRawCounterValue(PDH_HCOUNTER hCounter, PDH_RAW_COUNTER* pValue) = 0;
    virtual PDH_STATUS CloseQuery(PDH_HQUERY hQuery) = 0;

protected:
    ~IPdhApi() = default;
};

// The system's PDH.
IPdhApi& SystemPdh();

// The two ways PDH adds a counter. PdhAddCounterW takes the path in the system's language,
// so an English path fails on a Windows in any other; PdhAddEnglishCounterW (Vista and
// later) takes it in English on every Windows.
struct PdhAddCounterCalls
{
    using AddCounterFn = PDH_STATUS(WINAPI*)(PDH_HQUERY, LPCWSTR, DWORD_PTR, PDH_HCOUNTER*);

    AddCounterFn addEnglish;    // null where pdh.dll does not export it
    AddCounterFn addLocalized;
};

// PdhAddEnglishCounterW, looked up at run time, and PdhAddCounterW.
PdhAddCounterCalls SystemPdhAddCounterCalls();

// Adds the counter by its English path where PDH can, else by the path as given.
PDH_STATUS AddCounterByEnglishPath(const PdhAddCounterCalls& calls, PDH_HQUERY hQuery,
                                   LPCWSTR pszPath, DWORD_PTR userData, PDH_HCOUNTER* phCounter);

class CPerfCounters
{
public:
    explicit CPerfCounters(IPdhApi& pdh = SystemPdh());
    CPerfCounters(const CPerfCounters&) = delete;
    CPerfCounters& operator=(const CPerfCounters&) = delete;
    ~CPerfCounters();

    // Opens the query once; the counters are added to it afterwards.
    void OpenQuery();
    // The new counter's index, or -1 when PDH does not know the path.
    int AddCounter(LPCWSTR pszCounterPath);
    // Samples every counter of the query once; ERROR_SUCCESS when it worked.
    PDH_STATUS CollectQueryData();
    // The counter's last collected value as a whole number, or PERF_VALUE_UNREADABLE.
    LONG GetCounterValue(int nIndex);

    // The record of a counter, or null; lets callers look at the raw sample ring.
    const _tag_PDHCounterStruct* FindCounter(int nIndex) const;

private:
    bool StoreRawValue(_tag_PDHCounterStruct* pRecord);

    IPdhApi& m_pdh;
    HQUERY query = nullptr;
    CArray<_tag_PDHCounterStruct*> counters;
    int nextIndex = 0;
};

// Opens the query and adds the processor counter, then the memory counter.
void OpenPerformanceCounters(CPerfCounters& perfCounters, int& nCpuCounter, int& nMemCounter);
