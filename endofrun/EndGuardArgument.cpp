#include "endofrun/EndGuardArgument.h"

namespace
{
const char16_t kStarterPrefix[] = u"--end-guard-start=";
const char16_t kGuardPrefix[] = u"--end-guard=";
constexpr std::size_t kMostDigits = 10;  // 4294967295

template <std::size_t N>
constexpr std::size_t LengthOf(const char16_t (&)[N])
{
    return N - 1;
}

const char16_t* PrefixOf(EndGuardRole role)
{
    return role == EndGuardRole::Starter ? kStarterPrefix : kGuardPrefix;
}

bool ParseHandleDigits(const std::u16string& tail, std::size_t start, uint32_t* handleValue)
{
    const std::size_t digitCount = tail.size() - start;
    if (digitCount == 0 || digitCount > kMostDigits || tail[start] == u'0')
        return false;
    uint64_t value = 0;
    for (std::size_t i = start; i < tail.size(); ++i)
    {
        const char16_t c = tail[i];
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + static_cast<uint64_t>(c - u'0');
    }
    if (value > UINT32_MAX)
        return false;
    *handleValue = static_cast<uint32_t>(value);
    return true;
}
}  // namespace

std::u16string MakeEndGuardArgument(EndGuardRole role, uint32_t handleValue)
{
    std::u16string digits;
    do
    {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + handleValue % 10));
        handleValue /= 10;
    } while (handleValue != 0);
    return PrefixOf(role) + digits;
}

bool ParseEndGuardArgument(const std::u16string& tail, EndGuardRole* role, uint32_t* handleValue)
{
    // The starter's prefix is not a prefix of the guard's, nor the other way round, so at
    // most one of them matches.
    if (tail.compare(0, LengthOf(kStarterPrefix), kStarterPrefix) == 0)
    {
        *role = EndGuardRole::Starter;
        return ParseHandleDigits(tail, LengthOf(kStarterPrefix), handleValue);
    }
    if (tail.compare(0, LengthOf(kGuardPrefix), kGuardPrefix) == 0)
    {
        *role = EndGuardRole::Guard;
        return ParseHandleDigits(tail, LengthOf(kGuardPrefix), handleValue);
    }
    return false;
}
