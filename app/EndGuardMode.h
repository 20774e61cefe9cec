// The end guard's own run: a copy of the program started by the program with an inherited
// handle of the program's process. It shows nothing, holds no mutex and takes no part in
// the engine; it waits for the program and, when the program is gone without having
// ended its guard first (its orderly end does that), returns every process to normal.
#pragma once

#include <cstdint>

// Returns when the guard's work is done. A value that is not a handle of the process
// that started this one ends the guard at once, changing nothing.
void RunEndGuard(uint32_t handleValue);
