// The System page's facts do not change while the program runs: they are gathered once,
// on a thread of their own, and every later page command shows them again at once. The
// window thread waits for a gathering only a bounded time: a WMI service that hangs
// leaves the page with its previous texts, never the window frozen.
#pragma once

#include "framework/Handle.h"
#include "framework/Afx.h"

#include <memory>

struct SystemFactValues
{
    bool computerSystemRead = false;  // false: the WMI query failed; the next three unknown
    CString computerName;             // WMI Win32_ComputerSystem Name
    CString manufacturer;             //   Manufacturer
    CString model;                    //   Model
    CString processor;                // registry ProcessorNameString
    CString edition;                  // the Windows edition text
    CString versionNumbers;           // the version-numbers text
};

// Where the facts come from: WMI and the registry (CWmiSystemFactsSource), or a stand-in.
class ISystemFactsSource
{
public:
    virtual ~ISystemFactsSource() = default;
    // Runs on the gathering's own thread. False when WMI could not be reached: nothing
    // is known then.
    virtual bool Gather(SystemFactValues& facts) = 0;
};

// How long a page command waits for a gathering it started.
const DWORD SYSTEM_FACTS_WAIT_MS = 4000;

class CSystemFacts
{
public:
    explicit CSystemFacts(std::shared_ptr<ISystemFactsSource> source,
                          DWORD dwWaitMs = SYSTEM_FACTS_WAIT_MS);

    // The facts once a gathering has succeeded; null while none has. Without a gathering
    // under way (the first call, or after one that failed) it starts one and waits for it
    // at most the bound; while an earlier one still runs, it does not wait.
    const SystemFactValues* Get();

private:
    // Shared with the gathering's thread, which may outlive this object when WMI hangs.
    struct Gathering
    {
        std::shared_ptr<ISystemFactsSource> source;
        SystemFactValues values;
        bool succeeded = false;  // written before `done` is set, read after
        CKernelHandle done;      // manual-reset event
    };

    bool StartGathering();
    static DWORD WINAPI GatherThreadProc(LPVOID parameter);
    bool IsDone(DWORD dwWaitMs) const;

    std::shared_ptr<ISystemFactsSource> m_source;
    DWORD m_dwWaitMs;
    std::shared_ptr<Gathering> m_gathering;
};
