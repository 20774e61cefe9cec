#include "app/EndGuardArgument.h"

namespace
{
const char16_t kPrefix[] = u"--end-guard=";
constexpr std::size_t kPrefixLength = sizeof(kPrefix) / sizeof(kPrefix[0]) - 1;
constexpr std::size_t kMostDigits = 10;  // 4294967295
}  // namespace

std::u16string MakeEndGuardArgument(uint32_t handleValue)
{
    std::u16string digits;
    do
    {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + handleValue % 10));
        handleValue /= 10;
    } while (handleValue != 0);
    return kPrefix + digits;
}

bool ParseEndGuardArgument(const std::u16string& tail, uint32_t* handleValue)
{
    if (tail.compare(0, kPrefixLength, kPrefix) != 0)
        return false;
    const std::size_t digitCount = tail.size() - kPrefixLength;
    if (digitCount == 0 || digitCount > kMostDigits || tail[kPrefixLength] == u'0')
        return false;

    uint64_t value = 0;
    for (std::size_t i = kPrefixLength; i < tail.size(); ++i)
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
