#include "engine/WatchPace.h"

BOOL StartIdleWatch(CProcessNotify& watcher, HWND notifyWnd)
{
    if (!watcher.Start(WATCH_FAST_INTERVAL_MS, TRUE, notifyWnd))
        return FALSE;
    watcher.SetPollInterval(WATCH_IDLE_INTERVAL_MS);
    return TRUE;
}

BOOL SpeedUpWatch(CProcessNotify& watcher)
{
    // Programs started before Start, which the idle pace has not reported yet, are
    // reported (and left alone) before the engine takes notice of reports.
    watcher.SetPollInterval(WATCH_FAST_INTERVAL_MS);
    return watcher.WaitForFreshPass(WATCH_CATCH_UP_MS);
}
