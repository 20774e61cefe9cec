// Chooses the font height at which a text, wrapped to its control's width, fits the
// control's height. Portable: the measuring is handed in.
#pragma once

#include <cstddef>
#include <functional>

// `heights` are LOGFONT heights (negative pixel heights), tried in order, largest text
// first; the first at which `wrappedHeightAt` fits `availableHeight` is chosen. When none
// fits, the last (smallest) one, which shows the most of the text.
long ChooseFittingFontHeight(const long* heights, std::size_t count, int availableHeight,
                             const std::function<int(long lfHeight)>& wrappedHeightAt);
