#include "ui/FittingFont.h"

long ChooseFittingFontHeight(const long* heights, std::size_t count, int availableHeight,
                             const std::function<int(long lfHeight)>& wrappedHeightAt)
{
    if (count == 0)
        return 0;
    for (std::size_t i = 0; i + 1 < count; ++i)
    {
        if (wrappedHeightAt(heights[i]) <= availableHeight)
            return heights[i];
    }
    return heights[count - 1];
}
