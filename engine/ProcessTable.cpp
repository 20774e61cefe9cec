#include "engine/ProcessTable.h"

#include "engine/ProcessNameText.h"
#include "engine/Utf16Bridge.h"

#include <algorithm>
#include <cstring>

namespace
{
// Lookups by stem between two changes of the table are few (the application in front and
// the one before it); past this many the remembered answers are dropped.
const std::size_t NAMESAKE_ANSWERS_KEPT = 16;
// A process is listed before it has a name: under Wine its image is known only some
// milliseconds after its start. It is asked again on this many updates (about a second
// of cycles), after which it counts as nameless.
const int YOUNG_NAME_READS = 20;

bool SameList(const std::vector<DWORD>& last, const PROCESS_LIST& running)
{
    return last.size() == running.count &&
           (running.count == 0 ||
            std::memcmp(last.data(), running.pids, running.count * sizeof(DWORD)) == 0);
}

bool ByPid(const PROCESS_RECORD& record, DWORD pid)
{
    return record.pid < pid;
}
}  // namespace

PROCESS_RECORD CProcessTable::Learn(DWORD pid)
{
    PROCESS_RECORD record;
    record.pid = pid;
    wchar_t imageName[IMAGE_NAME_CAPACITY] = {};
    if (m_system.ReadProcessFacts(pid, imageName, IMAGE_NAME_CAPACITY, &record.creationTime))
    {
        imageName[IMAGE_NAME_CAPACITY - 1] = L'\0';
        record.stem = GetImageStem(ToU16(imageName));
        record.named = true;
        if (imageName[0] == L'\0')
            record.nameReadsLeft = YOUNG_NAME_READS;
    }
    return record;
}

void CProcessTable::RememberIfYoung(const PROCESS_RECORD& record)
{
    if (record.nameReadsLeft > 0 &&
        std::find(m_young.begin(), m_young.end(), record.pid) == m_young.end())
        m_young.push_back(record.pid);
}

void CProcessTable::AskYoungProcessesAgain()
{
    std::size_t kept = 0;
    for (DWORD pid : m_young)
    {
        auto record = Locate(pid);
        if (record == m_records.end() || record->nameReadsLeft <= 0)
            continue;
        const int readsLeft = record->nameReadsLeft - 1;
        *record = Learn(pid);
        if (!record->stem.empty())
            Changed();
        else if (record->named)
        {
            record->nameReadsLeft = readsLeft;
            if (readsLeft > 0)
                m_young[kept++] = pid;
        }
    }
    m_young.resize(kept);
}

void CProcessTable::Update(const PROCESS_LIST& running)
{
    AskYoungProcessesAgain();
    if (SameList(m_listed, running))
        return;
    m_listed.assign(running.pids, running.pids + running.count);
    m_sorted = m_listed;
    std::sort(m_sorted.begin(), m_sorted.end());
    m_sorted.erase(std::unique(m_sorted.begin(), m_sorted.end()), m_sorted.end());

    // One walk over both sorted sequences: kept records stay, new ids are learnt, records
    // of ids no longer listed drop out.
    m_merged.clear();
    m_merged.reserve(m_sorted.size());
    auto known = m_records.begin();
    for (DWORD pid : m_sorted)
    {
        while (known != m_records.end() && known->pid < pid)
            ++known;
        if (known != m_records.end() && known->pid == pid)
            m_merged.push_back(std::move(*known));
        else
        {
            m_merged.push_back(Learn(pid));
            RememberIfYoung(m_merged.back());
        }
    }
    m_records.swap(m_merged);
    m_merged.clear();
    Changed();
}

std::vector<PROCESS_RECORD>::iterator CProcessTable::Locate(DWORD pid)
{
    auto found = std::lower_bound(m_records.begin(), m_records.end(), pid, ByPid);
    return found != m_records.end() && found->pid == pid ? found : m_records.end();
}

const PROCESS_RECORD* CProcessTable::Find(DWORD pid) const
{
    auto found = std::lower_bound(m_records.begin(), m_records.end(), pid, ByPid);
    return found != m_records.end() && found->pid == pid ? &*found : nullptr;
}

bool CProcessTable::Relearn(DWORD pid, PROCESS_RECORD& record)
{
    record = Learn(pid);
    auto listed = Locate(pid);
    if (listed != m_records.end())
    {
        *listed = record;
        RememberIfYoung(record);
        Changed();
    }
    return record.named;
}

void CProcessTable::Forget(DWORD pid)
{
    auto listed = Locate(pid);
    if (listed == m_records.end())
        return;
    m_records.erase(listed);
    // The id is still in the last list: without this the next Update, seeing the same
    // list, would not learn it again.
    m_listed.clear();
    Changed();
}

const std::vector<DWORD>& CProcessTable::NamesakesOf(const std::u16string& stem)
{
    auto answer = m_namesakes.find(stem);
    if (answer != m_namesakes.end())
        return answer->second;
    if (m_namesakes.size() >= NAMESAKE_ANSWERS_KEPT)
        m_namesakes.clear();

    std::vector<DWORD>& namesakes = m_namesakes[stem];
    for (DWORD pid : m_listed)
    {
        // Id 0 is the idle process, never a program of anyone's.
        if (pid == 0)
            continue;
        const PROCESS_RECORD* record = Find(pid);
        if (record != nullptr && record->named && IsNamesakeStem(record->stem, stem))
            namesakes.push_back(pid);
    }
    return namesakes;
}

void CProcessTable::Changed()
{
    m_namesakes.clear();
}
