#include "engine/FocusPids.h"

DWORD g_adwFocusPids[FOCUS_PID_CAPACITY];
int g_nFocusPidCount = 0;

void AppendFocusPid(DWORD pid)
{
    if (g_nFocusPidCount < 0 || g_nFocusPidCount >= FOCUS_PID_CAPACITY)
        return;
    g_adwFocusPids[g_nFocusPidCount++] = pid;
}
