#include "controls/MenuTemplate.h"

namespace {

class CTemplateReader
{
public:
    CTemplateReader(const uint8_t* data, size_t dataSize) : m_pData(data), m_nDataSize(dataSize) {}

    bool Seek(size_t offset)
    {
        if (offset > m_nDataSize)
            return false;
        m_nOffset = offset;
        return true;
    }

    bool ReadWord(uint16_t& value)
    {
        if (m_nDataSize - m_nOffset < 2)
            return false;
        value = static_cast<uint16_t>(m_pData[m_nOffset] | (m_pData[m_nOffset + 1] << 8));
        m_nOffset += 2;
        return true;
    }

    // A zero-terminated UTF-16 string; false when the data ends before the terminator.
    bool ReadText(std::u16string& text)
    {
        text.clear();
        for (uint16_t unit = 0;;)
        {
            if (!ReadWord(unit))
                return false;
            if (unit == 0)
                return true;
            text.push_back(static_cast<char16_t>(unit));
        }
    }

private:
    const uint8_t* m_pData;
    size_t m_nDataSize;
    size_t m_nOffset = 0;
};

constexpr size_t kHeaderSize = 4;

} // namespace

MenuTemplate ParseMenuTemplate(const uint8_t* data, size_t dataSize)
{
    MenuTemplate result;
    if (data == nullptr)
        return result;
    CTemplateReader reader(data, dataSize);
    uint16_t version = 0, headerExtra = 0;
    if (!reader.ReadWord(version) || !reader.ReadWord(headerExtra)
        || !reader.Seek(kHeaderSize + headerExtra))
        return result;

    // One entry per open level: whether that level's parent ends together with it (its
    // pop-up item was the last of the parent's level).
    std::vector<bool> parentEndsWithLevel{false};
    while (!parentEndsWithLevel.empty())
    {
        MenuTemplateItem item;
        uint16_t flags = 0;
        if (!reader.ReadWord(flags))
            return result;
        if ((flags & kMenuTemplatePopup) == 0 && !reader.ReadWord(item.id))
            return result;
        if (!reader.ReadText(item.text))
            return result;
        item.flags = static_cast<uint16_t>(flags & ~kMenuTemplateEnd);
        item.depth = static_cast<int>(parentEndsWithLevel.size()) - 1;
        result.items.push_back(std::move(item));

        const bool endsLevel = (flags & kMenuTemplateEnd) != 0;
        if (flags & kMenuTemplatePopup)
        {
            parentEndsWithLevel.push_back(endsLevel);
        }
        else if (endsLevel)
        {
            bool closeParent = true;
            while (closeParent && !parentEndsWithLevel.empty())
            {
                closeParent = parentEndsWithLevel.back();
                parentEndsWithLevel.pop_back();
            }
        }
    }
    result.complete = true;
    return result;
}
