// The restore that every end of the run makes: every running process back to the normal
// class, whatever it had before, except what the gate refuses.
#pragma once

#include "engine/PriorityGate.h"
#include "engine/ProcessSystem.h"

// Most passes of one restore. A process started by a parent that is still below normal is
// born below normal, so one pass can leave such children behind; a parent that starts
// programs without end must not hold the end of the program forever.
const int RESTORE_PASS_LIMIT = 10;

// Passes over the process list, read into the caller's buffer of bufferLength bytes (a
// crash restore cannot spend the stack on one), until a pass finds nothing left to set,
// at most RESTORE_PASS_LIMIT times.
void RestoreEveryProcess(IProcessSystem& system, const IPriorityGate& gate, DWORD* pidBuffer,
                         DWORD bufferLength);
