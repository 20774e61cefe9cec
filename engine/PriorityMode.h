// The engine's three priority modes and the one place that maps them to Windows
// priority classes.
#pragma once

#include <windows.h>

const int PRIORITY_DEMOTE = 0;   // every other application the engine touched
const int PRIORITY_BOOST = 1;    // the application the user works with
const int PRIORITY_NORMAL = 2;   // everything, when the program ends

// Any value but DEMOTE and NORMAL boosts: callers pass 1, but a stray value must still
// give a defined class.
inline DWORD PriorityClassOfMode(int mode)
{
    switch (mode)
    {
    case PRIORITY_DEMOTE:
        return BELOW_NORMAL_PRIORITY_CLASS;
    case PRIORITY_NORMAL:
        return NORMAL_PRIORITY_CLASS;
    default:
        return REALTIME_PRIORITY_CLASS;
    }
}
