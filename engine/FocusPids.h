// The focus process list: the processes that make up the application in front (the
// foreground window's process, the processes of its child windows and every process
// boosted by name in the current cycle). Touched only on the main dialog's thread.
#pragma once

#include <windows.h>

const int FOCUS_PID_CAPACITY = 1024;

extern DWORD g_adwFocusPids[FOCUS_PID_CAPACITY];
extern int g_nFocusPidCount;

// Appends pid; once the list is full, further ids are dropped.
void AppendFocusPid(DWORD pid);
