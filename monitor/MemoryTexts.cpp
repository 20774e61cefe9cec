#include "monitor/MemoryTexts.h"

namespace {

std::u16string Decimal(std::int64_t number)
{
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

std::int64_t ShownGibibytes(std::uint64_t bytes)
{
    return static_cast<std::int64_t>(bytes >> 30) + 1;
}

}  // namespace

std::u16string UsageText(long percent)
{
    return u"Usage:" + Decimal(percent) + u"%";
}

std::u16string InstalledMemoryText(std::uint64_t totalPhysBytes, std::uint64_t availPhysBytes)
{
    return Decimal(ShownGibibytes(totalPhysBytes)) + u" GB (" + Decimal(ShownGibibytes(availPhysBytes)) +
           u" GB Usable)";
}
