// Parses any bytes as the command line tail of a start (UTF-16) and checks that whatever
// the parser takes for an end guard argument is exactly the argument the program makes
// for that role and handle: one spelling per role and handle, nothing before or after it.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "endofrun/EndGuardArgument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::u16string tail(size / sizeof(char16_t), u'\0');
    if (!tail.empty())
        std::memcpy(&tail[0], data, tail.size() * sizeof(char16_t));

    EndGuardRole role = EndGuardRole::Guard;
    uint32_t handleValue = 0;
    if (!ParseEndGuardArgument(tail, &role, &handleValue))
        return 0;
    if (handleValue == 0 || MakeEndGuardArgument(role, handleValue) != tail)
        std::abort();
    return 0;
}
