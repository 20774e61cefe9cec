// The one internal argument that starts a copy of the program as its end guard:
// "--end-guard=" and the decimal value of the program's process handle that the copy
// inherits. Anything else on the command line starts the program as a user would.
// Portable (no <windows.h>): the fuzzers run the parser natively.
#pragma once

#include <cstdint>
#include <string>

// What follows the executable's name on the guard's command line.
std::u16string MakeEndGuardArgument(uint32_t handleValue);

// True, with the handle's value, only when `tail` is exactly such an argument: the
// prefix, then 1 to 10 decimal digits without a leading zero whose value fits in 32 bits
// and is not 0, then nothing more.
bool ParseEndGuardArgument(const std::u16string& tail, uint32_t* handleValue);
