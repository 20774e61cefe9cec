// The end guard's own run: a copy of the program, started by its starter with an
// inherited handle of the program's process. It shows nothing, holds no instance mutex
// and takes no part in the engine; it waits for the program and, when the program is
// gone without having ended its guard first (its orderly end does that), returns every
// process to normal, one restore at a time.
#pragma once

#include "endofrun/RestoreHandshake.h"

#include <cstdint>

// Returns when the guard's work is done. A value that is not a handle of a copy
// of this program ends the guard at once, changing nothing.
void RunEndGuard(uint32_t handleValue, CRestoreHandshake& handshake);
