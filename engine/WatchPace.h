// How often the start watcher looks at the process list. Before Start its reports change
// nothing after the first pass, so it looks only now and then: a list reading every
// millisecond would cost a machine with hundreds of processes a whole core for nothing
// (under Wine one reading of 300 processes takes some 30 ms). Once the engine runs it
// looks every millisecond.
#pragma once

#include "engine/ProcessNotify.h"

const DWORD WATCH_FAST_INTERVAL_MS = 1;
const DWORD WATCH_IDLE_INTERVAL_MS = 2000;
// How long the change to the fast pace waits for the reports of what started before it.
const DWORD WATCH_CATCH_UP_MS = 2000;

// Starts the watcher for the window at the idle pace; its first pass still comes after
// the fast interval, so the processes already running are reported at once.
BOOL StartIdleWatch(CProcessNotify& watcher, HWND notifyWnd);

// The engine starts: the watcher looks every millisecond from now on, and every program
// started before this call has been reported when it returns (call it on the notified
// window's thread). FALSE when the watcher does not run or did not catch up in time.
BOOL SpeedUpWatch(CProcessNotify& watcher);
