// What the engine's unit tests share: the priority classes they compare, the focus list
// and identity strings the engine fills (program-wide, so emptied before each test), and
// an engine over a made-up system with a view that records what it shows and an end of
// the run of its own.
#pragma once

#include "FakeProcessSystem.h"

#include "endofrun/EndOfRun.h"
#include "engine/BoostEngine.h"
#include "engine/FocusPids.h"
#include "engine/ProcessIdentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

const DWORD REALTIME = REALTIME_PRIORITY_CLASS;
const DWORD BELOW = BELOW_NORMAL_PRIORITY_CLASS;
const DWORD NORMAL = NORMAL_PRIORITY_CLASS;

// A browser, a tool whose name contains the browser's (its namesake), and an unrelated
// program: what the namesake rules are tried on.
const DWORD CHROME = 200;
const DWORD DRIVER = 204;
const DWORD NOTEPAD = 208;

inline void ClearFocusAndIdentity()
{
    g_nFocusPidCount = 0;
    g_strProcessName.Empty();
    g_strProcessUser.Empty();
    g_strProcessDomain.Empty();
}

inline std::vector<DWORD> FocusList()
{
    return std::vector<DWORD>(g_adwFocusPids, g_adwFocusPids + g_nFocusPidCount);
}

inline bool InFocusList(DWORD pid)
{
    const std::vector<DWORD> focus = FocusList();
    return std::find(focus.begin(), focus.end(), pid) != focus.end();
}

class EngineFixture : public testing::Test
{
protected:
    void SetUp() override { ClearFocusAndIdentity(); }

    void AddBrowserToolAndEditor()
    {
        system.AddProcess(CHROME, L"\\Device\\HarddiskVolume2\\Apps\\chrome.exe");
        system.AddProcess(DRIVER, L"\\Device\\HarddiskVolume2\\Tools\\chromedriver.exe");
        system.AddProcess(NOTEPAD, L"\\Device\\HarddiskVolume2\\Windows\\notepad.exe");
    }

    // The application owning the window comes to the front; one foreground cycle runs.
    void BringToFront(HWND hWnd)
    {
        system.foreground = hWnd;
        engine.RunForegroundCycle();
    }

    FakeProcessSystem system;
    FakeBoostView view;
    CEndOfRun endOfRun{system};
    CBoostEngine engine{system, view, endOfRun};
};
