#include <gtest/gtest.h>

#include "controls/MenuTemplate.h"

namespace {

// Writes a standard menu template: header, then items in order.
class CMenuBytes
{
public:
    explicit CMenuBytes(uint16_t headerExtra = 0)
    {
        Word(0);
        Word(headerExtra);
        m_bytes.resize(m_bytes.size() + headerExtra, 0xEE);
    }
    CMenuBytes& Popup(const std::u16string& text, bool last = false)
    {
        Word(static_cast<uint16_t>(kMenuTemplatePopup | (last ? kMenuTemplateEnd : 0)));
        Text(text);
        return *this;
    }
    CMenuBytes& Item(uint16_t id, const std::u16string& text, bool last = false, uint16_t flags = 0)
    {
        Word(static_cast<uint16_t>(flags | (last ? kMenuTemplateEnd : 0)));
        Word(id);
        Text(text);
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    void Word(uint16_t value)
    {
        m_bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Text(const std::u16string& text)
    {
        for (char16_t unit : text)
            Word(static_cast<uint16_t>(unit));
        Word(0);
    }
    std::vector<uint8_t> m_bytes;
};

MenuTemplate Parse(const std::vector<uint8_t>& bytes) { return ParseMenuTemplate(bytes.data(), bytes.size()); }

std::string Describe(const MenuTemplate& menu)
{
    std::string out;
    for (const MenuTemplateItem& item : menu.items)
    {
        out += std::string(static_cast<size_t>(item.depth) * 2, ' ');
        out += std::string(item.text.begin(), item.text.end());
        if (item.IsPopup())
            out += " >";
        else
            out += " #" + std::to_string(item.id);
        out += "\n";
    }
    return out;
}

} // namespace

TEST(MenuTemplate, Parse_TrayMenu_OnePopupWithTwoItems)
{
    const CMenuBytes bytes = CMenuBytes().Popup(u"Tray", true).Item(32771, u"Open").Item(32772, u"Exit", true);
    const MenuTemplate menu = Parse(bytes.Bytes());
    EXPECT_TRUE(menu.complete);
    EXPECT_EQ(Describe(menu), "Tray >\n  Open #32771\n  Exit #32772\n");
    EXPECT_EQ(menu.items[0].flags, kMenuTemplatePopup) << "the end mark is taken off";
    EXPECT_EQ(menu.items[2].flags, 0);
}

TEST(MenuTemplate, Parse_NestedPopupsAndEndLevels)
{
    // File > (New, Recent > (a, b), Quit) , Edit > (Undo\tCtrl+Z, separator, Grey), Help #9
    const CMenuBytes bytes = CMenuBytes()
                                 .Popup(u"File")
                                 .Item(1, u"New")
                                 .Popup(u"Recent")
                                 .Item(2, u"a")
                                 .Item(3, u"b", true)
                                 .Item(4, u"Quit", true)
                                 .Popup(u"Edit")
                                 .Item(5, u"Undo\tCtrl+Z")
                                 .Item(0, u"")
                                 .Item(6, u"Grey", true, 0x0001 /* grayed */)
                                 .Item(9, u"Help", true);
    const MenuTemplate menu = Parse(bytes.Bytes());
    EXPECT_TRUE(menu.complete);
    EXPECT_EQ(Describe(menu),
              "File >\n  New #1\n  Recent >\n    a #2\n    b #3\n  Quit #4\n"
              "Edit >\n  Undo\tCtrl+Z #5\n   #0\n  Grey #6\nHelp #9\n");
    EXPECT_EQ(menu.items[9].flags, 0x0001) << "other flags pass through";
}

TEST(MenuTemplate, Parse_PopupThatEndsTwoLevels_ClosesBoth)
{
    // The inner pop-up is the last item of the outer one, which is the last of the top level.
    const CMenuBytes bytes = CMenuBytes().Item(1, u"first").Popup(u"outer", true).Popup(u"inner", true).Item(2, u"deep", true);
    std::vector<uint8_t> data = bytes.Bytes();
    const std::vector<uint8_t> ignored = CMenuBytes().Item(3, u"after the end").Bytes();
    data.insert(data.end(), ignored.begin() + 4, ignored.end());
    const MenuTemplate menu = Parse(data);
    EXPECT_TRUE(menu.complete);
    EXPECT_EQ(Describe(menu), "first #1\nouter >\n  inner >\n    deep #2\n") << "bytes after the end are not read";
}

TEST(MenuTemplate, Parse_HonoursHeaderOffset)
{
    const CMenuBytes bytes = CMenuBytes(6).Item(7, u"x", true);
    const MenuTemplate menu = Parse(bytes.Bytes());
    EXPECT_TRUE(menu.complete);
    EXPECT_EQ(Describe(menu), "x #7\n");
}

TEST(MenuTemplate, Parse_DataEndsEarly_KeepsCompleteItemsOnly)
{
    const std::vector<uint8_t> full = CMenuBytes().Popup(u"Tray", true).Item(32771, u"Open").Item(32772, u"Exit", true).Bytes();
    // Cut inside "Exit": the two finished items stay, the open levels are never closed.
    const std::vector<uint8_t> cut(full.begin(), full.end() - 3);
    const MenuTemplate menu = Parse(cut);
    EXPECT_FALSE(menu.complete);
    EXPECT_EQ(Describe(menu), "Tray >\n  Open #32771\n");

    for (size_t size = 0; size < full.size(); ++size)
    {
        const std::vector<uint8_t> shorter(full.begin(), full.begin() + size);
        const MenuTemplate partial = Parse(shorter);
        EXPECT_FALSE(partial.complete) << size;
        EXPECT_LE(partial.items.size(), 2u) << size;
    }
    EXPECT_FALSE(ParseMenuTemplate(nullptr, 10).complete);
    EXPECT_TRUE(Parse(CMenuBytes(200).Bytes()).items.empty()) << "header offset beyond the data";
}
