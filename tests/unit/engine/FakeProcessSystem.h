// A made-up system for the boost engine's unit tests: processes with image names,
// priority classes and owners, windows with owning processes and child windows, and a
// foreground window. Records every class change in order.
//
// The start watcher reads the process list from its own thread: while one runs, a test
// changes the list only through AddProcess, RemoveProcess and SetListOrder, which hold
// the list's lock as EnumProcessIds does, and reads the calls counted in `enumerations`.
#pragma once

#include "engine/BoostView.h"
#include "engine/ProcessSystem.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct FakeProcess
{
    std::wstring imagePath;        // device-path form, as GetProcessImageFileNameW gives it
    DWORD priorityClass = NORMAL_PRIORITY_CLASS;
    bool openable = true;          // false: protected, or gone between listing and opening
    bool settable = true;          // false: its class can be read but not changed
    std::wstring identityName;     // what the identity lookup finds (empty: nothing)
    std::wstring user;
    std::wstring domain;
    std::wstring productName;
    ULONGLONG creationTime = 0;    // unique per process: a new process on an old id differs
    ULONGLONG processorTime = 0;   // kernel and user time used so far, FILETIME units
};

// In which order EnumProcessIds lists the ids (Windows promises none).
enum class ListOrder
{
    Ascending,
    Descending,
};

class FakeProcessSystem : public IProcessSystem
{
public:
    static constexpr DWORD OWN_PID = 100;

    FakeProcessSystem()
    {
        AddProcess(OWN_PID, L"\\Device\\HarddiskVolume1\\Vexra\\VEXRA-by-Teskor.exe");
    }

    FakeProcess& AddProcess(DWORD pid, const std::wstring& imagePath)
    {
        std::lock_guard<std::mutex> lock(m_listLock);
        FakeProcess& process = processes[pid];
        process = FakeProcess();
        process.imagePath = imagePath;
        process.creationTime = ++lastCreationTime;
        const std::wstring::size_type slash = imagePath.rfind(L'\\');
        process.identityName = imagePath.substr(slash == std::wstring::npos ? 0 : slash + 1);
        process.user = L"user1";
        process.domain = L"PC";
        return process;
    }

    void RemoveProcess(DWORD pid)
    {
        std::lock_guard<std::mutex> lock(m_listLock);
        processes.erase(pid);
    }

    void SetListOrder(ListOrder order)
    {
        std::lock_guard<std::mutex> lock(m_listLock);
        m_listOrder = order;
    }

    // A process started by `parent`, with Windows' rule for its class: a parent running
    // below normal or idle passes its class on, any other gives NORMAL. (Wine lacks the
    // rule, so only the fake can show what the restore must do about it.)
    FakeProcess& StartChild(DWORD parent, DWORD child, const std::wstring& imagePath)
    {
        const DWORD parentClass = processes.at(parent).priorityClass;
        FakeProcess& process = AddProcess(child, imagePath);
        if (parentClass == BELOW_NORMAL_PRIORITY_CLASS || parentClass == IDLE_PRIORITY_CLASS)
            process.priorityClass = parentClass;
        return process;
    }

    // A top-level window of pid; returns its handle.
    HWND AddWindow(DWORD pid)
    {
        HWND hWnd = reinterpret_cast<HWND>(static_cast<INT_PTR>(nextWindow++));
        windowOwners[hWnd] = pid;
        return hWnd;
    }

    HWND AddChildWindow(HWND hParent, DWORD pid)
    {
        HWND hChild = AddWindow(pid);
        children[hParent].push_back(hChild);
        return hChild;
    }

    DWORD ClassOf(DWORD pid) { return processes.at(pid).priorityClass; }
    int ChangesOf(DWORD pid) const
    {
        int count = 0;
        for (const auto& change : changes)
            count += change.first == pid ? 1 : 0;
        return count;
    }

    // IProcessSystem
    BOOL EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned) override
    {
        ++enumerations;
        if (onEnumerate)
            onEnumerate();
        if (failEnumeration)
            return FALSE;
        std::lock_guard<std::mutex> lock(m_listLock);
        DWORD count = 0;
        auto list = [&](auto first, auto last) {
            for (; first != last && (count + 1) * sizeof(DWORD) <= bufferLength; ++first)
                pids[count++] = first->first;
        };
        if (m_listOrder == ListOrder::Ascending)
            list(processes.begin(), processes.end());
        else
            list(processes.rbegin(), processes.rend());
        *bytesReturned = count * sizeof(DWORD);
        return TRUE;
    }

    BOOL SetProcessPriority(DWORD pid, DWORD priorityClass) override
    {
        if (beforePriorityChange)
            beforePriorityChange(pid, priorityClass);
        auto found = processes.find(pid);
        if (found == processes.end() || !found->second.openable)
            return FALSE;
        if (!found->second.settable)
            return FALSE;
        found->second.priorityClass = priorityClass;
        changes.emplace_back(pid, priorityClass);
        if (onPriorityChange)
            onPriorityChange(pid, priorityClass);
        return TRUE;
    }

    DWORD GetProcessPriority(DWORD pid) override
    {
        auto found = processes.find(pid);
        if (found == processes.end() || !found->second.openable)
            return 0;
        return found->second.priorityClass;
    }

    BOOL ReadProcessFacts(DWORD pid, wchar_t* imageName, DWORD capacity,
                          ULONGLONG* creationTime) override
    {
        factReads.push_back(pid);
        auto found = processes.find(pid);
        if (found == processes.end() || !found->second.openable)
            return FALSE;
        const std::wstring& path = found->second.imagePath;
        const size_t count = std::min<size_t>(path.size(), capacity - 1);
        path.copy(imageName, count);
        imageName[count] = L'\0';
        *creationTime = found->second.creationTime;
        return TRUE;
    }

    PriorityChange SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                            DWORD priorityClass) override
    {
        auto found = processes.find(pid);
        if (found != processes.end() && found->second.openable &&
            found->second.creationTime != creationTime)
            return PriorityChange::OtherProcess;
        return SetProcessPriority(pid, priorityClass) ? PriorityChange::Made
                                                      : PriorityChange::Failed;
    }

    // How often the engine opened a process to learn its name, in all or for one id.
    int FactReadsOf(DWORD pid) const
    {
        return static_cast<int>(std::count(factReads.begin(), factReads.end(), pid));
    }

    HWND GetForegroundWindow() override { return foreground; }

    DWORD GetWindowProcessId(HWND hWnd) override
    {
        auto found = windowOwners.find(hWnd);
        return found == windowOwners.end() ? 0 : found->second;
    }

    void EnumChildWindows(HWND hParent, WNDENUMPROC enumProc, LPARAM context) override
    {
        // Like EnumChildWindows: descendants too, depth first.
        for (HWND hChild : children[hParent])
        {
            if (!enumProc(hChild, context))
                return;
            EnumChildWindows(hChild, enumProc, context);
        }
    }

    DWORD GetCurrentProcessId() override { return OWN_PID; }

    void LookupProcessIdentity(DWORD pid) override;   // in FakeProcessSystem.cpp

    CString GetProductName(DWORD /*pid*/, const CString& imageName) override
    {
        for (const auto& entry : processes)
        {
            if (entry.second.identityName == imageName.GetString())
                return CString(entry.second.productName.c_str());
        }
        return CString();
    }

    TIMES_READER OpenTimesReader(DWORD pid, ULONGLONG* creationTime) override
    {
        ++readerOpens;
        auto found = processes.find(pid);
        if (found == processes.end() || !found->second.openable)
            return 0;
        if (*creationTime != 0 && *creationTime != found->second.creationTime)
            return 0;
        *creationTime = found->second.creationTime;
        readers[++lastReader] = std::make_pair(pid, found->second.creationTime);
        return lastReader;
    }

    BOOL ReadProcessorTime(TIMES_READER reader, ULONGLONG* processorTime) override
    {
        ++timesReads;
        auto open = readers.find(reader);
        if (open == readers.end())
            return FALSE;
        // A reader holds the process it was opened on: once that has ended, nothing.
        auto found = processes.find(open->second.first);
        if (found == processes.end() || found->second.creationTime != open->second.second)
            return FALSE;
        *processorTime = found->second.processorTime;
        return TRUE;
    }

    void CloseTimesReader(TIMES_READER reader) override { readers.erase(reader); }

    DWORD GetProcessorCount() override { return processorCount; }
    DWORD GetTickCount() override { return tick; }

    // How many readers are open on pid now.
    int OpenReadersOf(DWORD pid) const
    {
        int count = 0;
        for (const auto& reader : readers)
            count += reader.second.first == pid ? 1 : 0;
        return count;
    }

    std::map<DWORD, FakeProcess> processes;
    std::map<HWND, DWORD> windowOwners;
    std::map<HWND, std::vector<HWND>> children;
    std::vector<std::pair<DWORD, DWORD>> changes;   // (pid, class) in the order made
    std::vector<DWORD> factReads;                   // ids opened to learn a name, in order
    HWND foreground = NULL;
    std::atomic<bool> failEnumeration{false};
    std::atomic<int> enumerations{0};
    // Run inside the calls, before they answer: what happens in the system meanwhile.
    std::function<void()> onEnumerate;
    std::function<void(DWORD pid, DWORD priorityClass)> onPriorityChange;
    // Run when a change has been asked for, before it lands.
    std::function<void(DWORD pid, DWORD priorityClass)> beforePriorityChange;
    // Processor times: open readers (id -> pid and creation time), the clock, the machine.
    std::map<TIMES_READER, std::pair<DWORD, ULONGLONG>> readers;
    int readerOpens = 0;
    int timesReads = 0;
    DWORD tick = 1000;
    DWORD processorCount = 2;

private:
    std::mutex m_listLock;   // the list's shape and order, shared with a watcher's thread
    ListOrder m_listOrder = ListOrder::Ascending;
    int nextWindow = 0x1000;
    ULONGLONG lastCreationTime = 0;
    TIMES_READER lastReader = 0;
};

// Records what the engine shows.
class FakeBoostView : public IBoostView
{
public:
    void SetProcessCountText(const CString& text) override
    {
        processCountTexts.push_back(text.GetString());
        if (onProcessCount)
            onProcessCount();
    }
    void SetFocusAppText(const CString& text) override { focusTexts.push_back(text.GetString()); }
    void ShowBoostPopup(const CString& line1, const CString& line2) override
    {
        popups.emplace_back(line1.GetString(), line2.GetString());
    }
    void UpdateNow() override { ++updates; }

    std::vector<std::wstring> processCountTexts;
    std::vector<std::wstring> focusTexts;
    std::vector<std::pair<std::wstring, std::wstring>> popups;
    int updates = 0;
    std::function<void()> onProcessCount;   // runs inside the cycle
};
