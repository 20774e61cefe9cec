#include "engine/ProcessNameText.h"

namespace
{
bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
}

std::u16string GetImageStem(const std::u16string& path)
{
    std::u16string stem = path;
    const std::u16string::size_type lastBackslash = stem.rfind(u'\\');
    if (lastBackslash != std::u16string::npos)
        stem.erase(0, lastBackslash + 1);
    const std::u16string::size_type firstDot = stem.find(u'.');
    if (firstDot != std::u16string::npos)
        stem.erase(firstDot);
    return stem;
}

bool IsNamesakeStem(const std::u16string& candidateStem, const std::u16string& targetStem)
{
    if (targetStem.empty())
        return false;
    return candidateStem.find(targetStem) != std::u16string::npos;
}

std::u16string MakeDisplayName(const std::u16string& name)
{
    std::u16string display = GetImageStem(name);
    if (display.size() >= DISPLAY_NAME_MAX_LENGTH)
    {
        std::u16string::size_type cut = DISPLAY_NAME_MAX_LENGTH;
        // Keeping half of a pair would leave a broken character at the end of the label.
        if (IsHighSurrogate(display[cut - 1]))
            --cut;
        display.erase(cut);
    }
    return display;
}
