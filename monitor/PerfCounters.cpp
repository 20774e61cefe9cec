#include "monitor/PerfCounters.h"

#include <memory>

namespace {

class CSystemPdh : public IPdhApi
{
public:
    PDH_STATUS OpenQuery(DWORD_PTR userData, PDH_HQUERY* phQuery) override
    {
        return PdhOpenQueryW(nullptr, userData, phQuery);
    }
    PDH_STATUS AddCounter(PDH_HQUERY hQuery, LPCWSTR pszPath, DWORD_PTR userData,
                          PDH_HCOUNTER* phCounter) override
    {
        static const PdhAddCounterCalls calls = SystemPdhAddCounterCalls();
        return AddCounterByEnglishPath(calls, hQuery, pszPath, userData, phCounter);
    }
    PDH_STATUS CollectQueryData(PDH_HQUERY hQuery) override { return PdhCollectQueryData(hQuery); }
    PDH_STATUS GetFormattedCounterValue(PDH_HCOUNTER hCounter, DWORD dwFormat,
                                        PDH_FMT_COUNTERVALUE* pValue) override
    {
        return PdhGetFormattedCounterValue(hCounter, dwFormat, nullptr, pValue);
    }
    PDH_STATUS GetRawCounterValue(PDH_HCOUNTER hCounter, PDH_RAW_COUNTER* pValue) override
    {
        return PdhGetRawCounterValue(hCounter, nullptr, pValue);
    }
    PDH_STATUS CloseQuery(PDH_HQUERY hQuery) override { return PdhCloseQuery(hQuery); }
};

}  // namespace

IPdhApi& SystemPdh()
{
    static CSystemPdh pdh;
    return pdh;
}

PdhAddCounterCalls SystemPdhAddCounterCalls()
{
    PdhAddCounterCalls calls = {};
    if (HMODULE pdh = GetModuleHandleW(L"pdh.dll"))
        calls.addEnglish = reinterpret_cast<PdhAddCounterCalls::AddCounterFn>(
            reinterpret_cast<void*>(GetProcAddress(pdh, "PdhAddEnglishCounterW")));
    calls.addLocalized = &PdhAddCounterW;
    return calls;
}

PDH_STATUS AddCounterByEnglishPath(const PdhAddCounterCalls& calls, PDH_HQUERY hQuery,
                                   LPCWSTR pszPath, DWORD_PTR userData, PDH_HCOUNTER* phCounter)
{
    if (calls.addEnglish != nullptr)
        return calls.addEnglish(hQuery, pszPath, userData, phCounter);
    return calls.addLocalized(hQuery, pszPath, userData, phCounter);
}

CPerfCounters::CPerfCounters(IPdhApi& pdh) : m_pdh(pdh) {}

CPerfCounters::~CPerfCounters()
{
    for (INT_PTR i = 0; i < counters.GetSize(); ++i)
        delete counters[i];
    if (query != nullptr)
        m_pdh.CloseQuery(query);
}

void CPerfCounters::OpenQuery()
{
    if (query == nullptr)
        m_pdh.OpenQuery(1, &query);
}

int CPerfCounters::AddCounter(LPCWSTR pszCounterPath)
{
    auto record = std::make_unique<_tag_PDHCounterStruct>();
    ZeroMemory(record.get(), sizeof(_tag_PDHCounterStruct));
    if (m_pdh.AddCounter(query, pszCounterPath, reinterpret_cast<DWORD_PTR>(record.get()),
                         &record->counter) != ERROR_SUCCESS)
        return -1;
    record->index = nextIndex++;
    counters.Add(record.get());
    return record.release()->index;
}

PDH_STATUS CPerfCounters::CollectQueryData()
{
    return m_pdh.CollectQueryData(query);
}

const _tag_PDHCounterStruct* CPerfCounters::FindCounter(int nIndex) const
{
    for (INT_PTR i = 0; i < counters.GetSize(); ++i)
    {
        if (counters[i]->index == nIndex)
            return counters[i];
    }
    return nullptr;
}

LONG CPerfCounters::GetCounterValue(int nIndex)
{
    _tag_PDHCounterStruct* record = const_cast<_tag_PDHCounterStruct*>(FindCounter(nIndex));
    if (record == nullptr)
        return PERF_VALUE_UNREADABLE;

    PDH_FMT_COUNTERVALUE formatted;
    ZeroMemory(&formatted, sizeof(formatted));
    if (m_pdh.GetFormattedCounterValue(record->counter, PDH_FMT_LONG, &formatted) != ERROR_SUCCESS ||
        formatted.CStatus != PDH_CSTATUS_VALID_DATA)
        return PERF_VALUE_UNREADABLE;

    record->value = formatted.longValue;
    if (!StoreRawValue(record))
        return PERF_VALUE_UNREADABLE;
    return record->value;
}

bool CPerfCounters::StoreRawValue(_tag_PDHCounterStruct* pRecord)
{
    // Read aside first: a failed read must leave the ring as it was.
    PDH_RAW_COUNTER raw;
    ZeroMemory(&raw, sizeof(raw));
    if (m_pdh.GetRawCounterValue(pRecord->counter, &raw) != ERROR_SUCCESS)
        return false;
    pRecord->rawValues[pRecord->nextRawSlot] = raw;
    if (pRecord->rawCount < PERF_RAW_RING_SIZE)
        ++pRecord->rawCount;
    pRecord->nextRawSlot = (pRecord->nextRawSlot + 1) % PERF_RAW_RING_SIZE;
    if (pRecord->rawCount == PERF_RAW_RING_SIZE)
        pRecord->oldestRawSlot = pRecord->nextRawSlot;
    return true;
}

void OpenPerformanceCounters(CPerfCounters& perfCounters, int& nCpuCounter, int& nMemCounter)
{
    perfCounters.OpenQuery();
    nCpuCounter = perfCounters.AddCounter(L"\\Processor(_Total)\\% Processor Time");
    nMemCounter = perfCounters.AddCounter(L"\\Memory\\% Committed Bytes In Use");
}
