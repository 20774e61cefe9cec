// What the engine's tests look at of the state the engine keeps to itself.
#pragma once

#include "engine/BoostEngine.h"

#include <vector>

class CBoostEngineTestAccess
{
public:
    static bool IsCycleBusy(const CBoostEngine& engine) { return engine.m_bCycleBusy != 0; }
    static DWORD LastStartedPid(const CBoostEngine& engine) { return engine.m_dwLastStartedPid; }
    static void SetLastStartedPid(CBoostEngine& engine, DWORD pid) { engine.m_dwLastStartedPid = pid; }
    static std::vector<DWORD> StartedPids(const CBoostEngine& engine)
    {
        return std::vector<DWORD>(engine.m_adwStartedPids,
                                  engine.m_adwStartedPids + engine.m_nStartedPidCount);
    }
    static int StartedPidCount(const CBoostEngine& engine) { return engine.m_nStartedPidCount; }
};
