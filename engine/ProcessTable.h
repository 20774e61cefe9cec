// What the engine has learnt about each running process: its image stem, for finding
// namesakes, and its creation time, for telling it from a later process given the same
// id. The table follows the process list from one reading to the next, so only processes
// it has not seen before are opened; a cycle in which nothing started or ended opens none.
#pragma once

#include "engine/ProcessSystem.h"

#include <map>
#include <string>
#include <vector>

struct PROCESS_RECORD
{
    DWORD pid = 0;
    ULONGLONG creationTime = 0;   // FILETIME units; 0 when it could not be read
    std::u16string stem;          // empty when no name could be read
    bool named = false;           // the process could be opened to read its name
    int nameReadsLeft = 0;        // a process opened before it had a name is asked again
};

// A process list as the system returned it: ids in the system's own order.
struct PROCESS_LIST
{
    const DWORD* pids;
    DWORD count;
};

class CProcessTable
{
public:
    explicit CProcessTable(IProcessSystem& system) : m_system(system) {}

    // Brings the table in line with `running`: processes not seen before are opened and
    // named, processes gone are forgotten. A list equal to the last one costs one
    // comparison (and a new name read for a process still too young to have one).
    void Update(const PROCESS_LIST& running);

    // The record of a listed process, nullptr when the last list did not hold it.
    const PROCESS_RECORD* Find(DWORD pid) const;

    // Reads a process afresh, whether listed or not. The record of a listed process is
    // replaced; `record` receives what was read. FALSE when it cannot be opened.
    bool Relearn(DWORD pid, PROCESS_RECORD& record);

    // Makes the next Update learn `pid` afresh: its id has been seen leaving the list and
    // coming back (a report of a start), so it may name a newer process than the table's.
    void Forget(DWORD pid);

    // The listed processes, named, whose stem contains `stem`, in the order of the last
    // list. Valid until the next change of the table.
    const std::vector<DWORD>& NamesakesOf(const std::u16string& stem);

    std::size_t Size() const { return m_records.size(); }

private:
    PROCESS_RECORD Learn(DWORD pid);
    void AskYoungProcessesAgain();
    void RememberIfYoung(const PROCESS_RECORD& record);
    std::vector<PROCESS_RECORD>::iterator Locate(DWORD pid);
    void Changed();

    IProcessSystem& m_system;
    std::vector<DWORD> m_listed;                // the last list, in the system's order
    std::vector<PROCESS_RECORD> m_records;      // one per listed id, sorted by id
    std::map<std::u16string, std::vector<DWORD>> m_namesakes;   // by target stem
    std::vector<DWORD> m_young;                 // listed, opened, but nameless so far
    std::vector<DWORD> m_sorted;                // scratch for Update
    std::vector<PROCESS_RECORD> m_merged;       // scratch for Update
};
