// Reads a standard menu template (the bytes of an RT_MENU resource) into a flat list of
// items with their nesting depth. The owner-drawn menu builds its menus from that list.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The template's item flags are the menu flags of the same value.
constexpr uint16_t kMenuTemplatePopup = 0x0010; // MF_POPUP: a sub-menu follows, no id
constexpr uint16_t kMenuTemplateEnd = 0x0080;   // MF_END: last item of its level

struct MenuTemplateItem
{
    uint16_t flags = 0;      // as in the template, without the end mark
    uint16_t id = 0;         // command id; 0 for a pop-up item (and for a separator)
    std::u16string text;
    int depth = 0;           // 0 for the top level, 1 inside a top-level pop-up, ...
    bool IsPopup() const { return (flags & kMenuTemplatePopup) != 0; }
};

struct MenuTemplate
{
    std::vector<MenuTemplateItem> items; // in template order, parents before their children
    bool complete = false; // the top level's end mark was reached; false when the data ran out
};

MenuTemplate ParseMenuTemplate(const uint8_t* data, size_t dataSize);
