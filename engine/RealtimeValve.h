// A real-time process that keeps every processor busy leaves nothing for the rest of the
// system: input stalls, the mouse freezes. The valve watches the processes the program
// itself put at real-time and, when together they use more than all processors but half
// of one for a while, sets the heaviest of them to high: still ahead of every normal
// program, no longer ahead of the system's own input handling. It learns what the
// engine changes through CValvedProcessSystem and reads on the window thread's 50 ms cycle.
#pragma once

#include "engine/BoostView.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessSystem.h"

#include <vector>

// How often the processor time of the watched processes is read.
const DWORD VALVE_READING_INTERVAL_MS = 500;
// How long the watched processes must be over the limit before one is set to high.
const DWORD VALVE_OVERLOAD_MS = 2000;
// Most processes watched at once: one open handle each.
const int VALVE_WATCH_CAPACITY = 64;
// Most processes remembered as set to high, and as told to the user.
const int VALVE_MEMORY_CAPACITY = 64;

class CRealtimeValve
{
public:
    // Acts through the real system, not through the engine's: its own change to high must
    // not come back to it as one of the engine's. Asks the gate, as the engine does,
    // before and after each change.
    CRealtimeValve(IProcessSystem& system, IBoostView& view, const IPriorityGate& gate);
    ~CRealtimeValve();
    CRealtimeValve(const CRealtimeValve&) = delete;
    CRealtimeValve& operator=(const CRealtimeValve&) = delete;

    // The engine asks for pid at real-time (creationTime 0: whichever process has the id).
    // When the valve has set that process to high, it stays at high: the valve sets high
    // again (the engine boosts on every cycle because a process may have changed its
    // own class) and returns true, and the request goes no further.
    bool KeepsAtHigh(DWORD pid, ULONGLONG creationTime);

    // The engine has given pid priorityClass. Real-time: the process is watched from now
    // on. Any other class: it has left real-time, and what the valve held of it goes.
    void OnPriorityChanged(DWORD pid, ULONGLONG creationTime, DWORD priorityClass);

    // One beat of the 50 ms cycle: reads the watched processes once VALVE_READING_INTERVAL_MS
    // has passed since the last reading, and sets one to high when the load calls for it.
    void RunCycle();

private:
    struct WATCHED_PROCESS
    {
        DWORD pid;
        ULONGLONG creationTime;
        TIMES_READER reader;
        ULONGLONG processorTime;   // at the last reading
        ULONGLONG lastUse;         // between the last two readings; 0 before the second
    };
    struct KNOWN_PROCESS
    {
        DWORD pid;
        ULONGLONG creationTime;
    };

    void Watch(DWORD pid, ULONGLONG creationTime);
    void Unwatch(DWORD pid);
    void UnwatchAt(std::size_t index);
    ULONGLONG ReadWatched();
    bool IsOverLimit(ULONGLONG used, DWORD elapsedMs);
    void JudgeLoad(bool overLimit, DWORD now, DWORD elapsedMs);
    void StepDownHeaviest();
    void Announce(const KNOWN_PROCESS& process);
    void ForgetSteppedDown(DWORD pid);
    static void Remember(std::vector<KNOWN_PROCESS>& list, const KNOWN_PROCESS& process);

    IProcessSystem& m_system;
    IBoostView& m_view;
    const IPriorityGate& m_gate;
    std::vector<WATCHED_PROCESS> m_watched;
    std::vector<KNOWN_PROCESS> m_steppedDown;   // set to high by the valve, oldest first
    std::vector<KNOWN_PROCESS> m_announced;     // told to the user, oldest first
    bool m_bHasReading = false;
    DWORD m_dwLastReadingTick = 0;
    bool m_bOverLimit = false;
    DWORD m_dwOverLimitSinceTick = 0;
};
