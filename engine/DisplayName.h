// The name the program shows for a process, in the Engine page and in its popups.
#pragma once

#include "engine/ProcessSystem.h"

// For a process whose identity has just been looked up (g_strProcessName filled): the
// product name of its executable where it has one, else its image name, cut as the
// display cuts names.
CString DisplayNameOfLookedUpProcess(IProcessSystem& system, DWORD pid);
