// Parses any bytes as a menu template and checks the nesting it reports is consistent:
// the first item is on the top level and an item is at most one level below a pop-up
// that directly precedes it.
#include <cstdint>
#include <cstdlib>

#include "controls/MenuTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const MenuTemplate menu = ParseMenuTemplate(data, size);
    int previousDepth = -1;
    bool previousWasPopup = true;
    for (const MenuTemplateItem& item : menu.items)
    {
        if (item.depth < 0 || (item.flags & kMenuTemplateEnd) != 0)
            std::abort();
        if (item.depth > previousDepth + (previousWasPopup ? 1 : 0))
            std::abort();
        if (item.IsPopup() && item.id != 0)
            std::abort();
        previousDepth = item.depth;
        previousWasPopup = item.IsPopup();
    }
    if (menu.complete && menu.items.empty())
        std::abort();
    return 0;
}
