// The two internal arguments that start a copy of the program for its end guard, each
// followed by the decimal value of an inherited handle of the program's process:
//   "--end-guard-start=" the short-lived starter, which starts the guard and ends at once,
//                        so that no parent chain leads from the program to its guard;
//   "--end-guard="       the guard itself.
// Anything else on the command line starts the program as a user would.
// Portable (no <windows.h>): the fuzzers run the parser natively.
#pragma once

#include <cstdint>
#include <string>

enum class EndGuardRole
{
    Starter,
    Guard,
};

// What follows the executable's name on the command line of a copy in that role.
std::u16string MakeEndGuardArgument(EndGuardRole role, uint32_t handleValue);

// True, with the role and the handle's value, only when `tail` is exactly such an
// argument: one of the prefixes, then 1 to 10 decimal digits without a leading zero
// whose value fits in 32 bits and is not 0, then nothing more.
bool ParseEndGuardArgument(const std::u16string& tail, EndGuardRole* role, uint32_t* handleValue);
