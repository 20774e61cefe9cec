#include "monitor/VersionWalk.h"

namespace {

// Limits that keep a hostile record from making the walk long: lengths above these
// are not found in real records.
constexpr std::size_t kMaxRecordLength = 50000;
constexpr std::size_t kMaxRootChildLength = 40000;
constexpr std::size_t kMaxTableLength = 30000;
constexpr std::size_t kMaxStringLength = 10000;
constexpr std::size_t kMaxVarEntryLength = 10000;
constexpr int kMaxRootChildren = 100;
constexpr int kMaxTables = 200;
constexpr int kMaxStrings = 500;
constexpr int kMaxVarEntries = 100;
constexpr int kMaxPairs = 100;

std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

// One node as it lies in the record: header, key, then its value and children.
struct Node
{
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t valueLength = 0;
    std::size_t afterKey = 0;  // offset just past the key's terminating zero
    std::u16string key;

    std::size_t End() const { return offset + length; }
    std::size_t BodyStart() const { return Align4(afterKey); }
};

class VersionRecordWalker
{
public:
    VersionRecordWalker(const std::uint8_t* data, std::size_t size, bool firstTableOnly,
                        VersionWalkResult& result)
        : m_data(data), m_size(size), m_firstTableOnly(firstTableOnly), m_result(result)
    {
    }

    void Walk()
    {
        if (m_data == nullptr || m_size < 7)
            return;
        // The 32-bit layout has a type word before the key, so its key ("VS_...") starts
        // at 6; in the 16-bit layout offset 6 holds the key's third byte.
        m_wide = m_data[6] == 'V';
        m_headerSize = m_wide ? 6 : 4;

        Node root;
        if (!ReadNode(0, root) || root.length > kMaxRecordLength || root.key != u"VS_VERSION_INFO")
            return;
        std::size_t offset = Align4(root.BodyStart() + root.valueLength);
        for (int count = 0; offset < root.End() && count < kMaxRootChildren && !m_stop; ++count)
            offset = WalkRootChild(offset);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_firstTableOnly;
    VersionWalkResult& m_result;
    bool m_wide = true;
    std::size_t m_headerSize = 6;
    bool m_stop = false;

    unsigned ReadWord(std::size_t offset) const
    {
        return m_data[offset] | (m_data[offset + 1] << 8);
    }

    // Reads the zero-terminated text that starts at offset and ends before limit
    // (a missing terminator ends the text at limit). Returns false when the text has no
    // terminator before limit; afterText is then limit.
    bool ReadText(std::size_t offset, std::size_t limit, std::u16string& text,
                  std::size_t& afterText) const
    {
        text.clear();
        const std::size_t charSize = m_wide ? 2 : 1;
        while (offset + charSize <= limit)
        {
            const unsigned ch = m_wide ? ReadWord(offset) : m_data[offset];
            offset += charSize;
            if (ch == 0)
            {
                afterText = offset;
                return true;
            }
            text.push_back(static_cast<char16_t>(ch));
        }
        afterText = limit;
        return false;
    }

    // A node whose header, declared length or key would lie outside the record's bytes
    // is malformed, and so is the rest of the record: the caller stops.
    bool ReadNode(std::size_t offset, Node& node)
    {
        if (offset + m_headerSize > m_size)
        {
            m_stop = true;
            return false;
        }
        node.offset = offset;
        node.length = ReadWord(offset);
        node.valueLength = ReadWord(offset + 2);
        if (node.End() > m_size || !ReadText(offset + m_headerSize, m_size, node.key, node.afterKey))
        {
            m_stop = true;
            return false;
        }
        return true;
    }

    // Returns where the next child of the root starts.
    std::size_t WalkRootChild(std::size_t offset)
    {
        Node child;
        if (!ReadNode(offset, child) || child.length > kMaxRootChildLength)
        {
            m_stop = true;
            return offset;
        }
        std::size_t next = child.End();
        if (child.key == u"StringFileInfo")
            next = WalkStringTables(child);
        else if (child.key == u"VarFileInfo")
            WalkTranslations(child);
        // A child that claims no room still moves the walk past its own header and key.
        return next > child.BodyStart() ? next : child.BodyStart();
    }

    // Returns where the last table's strings ended.
    std::size_t WalkStringTables(const Node& parent)
    {
        std::size_t offset = parent.BodyStart();
        for (int count = 0; offset < parent.End() && count < kMaxTables && !m_stop; ++count)
        {
            Node table;
            if (!ReadNode(offset, table) || table.length > kMaxTableLength)
            {
                m_stop = true;
                break;
            }
            m_result.tableName = UpperCase(table.key);
            if (m_firstTableOnly)
            {
                m_stop = true;
                break;
            }
            offset = WalkStrings(table);
        }
        return offset;
    }

    // Returns where the table's last string ended.
    std::size_t WalkStrings(const Node& table)
    {
        std::size_t offset = table.BodyStart();
        for (int count = 0; offset < table.End() && count < kMaxStrings; ++count)
        {
            Node entry;
            if (!ReadNode(offset, entry) || entry.length > kMaxStringLength)
            {
                m_stop = true;
                break;
            }
            const std::size_t valueStart = entry.BodyStart();
            std::u16string value;
            if (valueStart < entry.End())
            {
                std::size_t afterValue = 0;
                ReadText(valueStart, entry.End(), value, afterValue);
            }
            const std::size_t nextByLength = Align4(entry.End());
            offset = valueStart >= entry.End() ? valueStart : nextByLength;
            m_result.keys.push_back(m_result.tableName + u"|" + entry.key);
            m_result.values.push_back(value);
        }
        return offset;
    }

    void WalkTranslations(const Node& parent)
    {
        std::size_t offset = parent.BodyStart();
        for (int count = 0; offset < parent.End() && count < kMaxVarEntries; ++count)
        {
            Node entry;
            if (!ReadNode(offset, entry) || entry.length > kMaxVarEntryLength)
            {
                m_stop = true;
                return;
            }
            if (entry.key != u"Translation")
                return;
            AppendPairs(entry);
            const std::size_t next = Align4(entry.End());
            offset = next > entry.BodyStart() ? next : entry.BodyStart();
        }
    }

    void AppendPairs(const Node& entry)
    {
        std::size_t offset = entry.BodyStart();
        for (int count = 0; offset + 4 <= entry.End() && count < kMaxPairs; ++count, offset += 4)
            m_result.translations.push_back(Hex4(ReadWord(offset)) + Hex4(ReadWord(offset + 2)));
    }

    static std::u16string Hex4(unsigned word)
    {
        static const char16_t digits[] = u"0123456789ABCDEF";
        std::u16string text(4, u'0');
        for (int i = 3; i >= 0; --i, word >>= 4)
            text[i] = digits[word & 0xF];
        return text;
    }

    // Table names are hexadecimal language and code-page numbers; only ASCII letters
    // can be meant.
    static std::u16string UpperCase(std::u16string text)
    {
        for (char16_t& ch : text)
        {
            if (ch >= u'a' && ch <= u'z')
                ch = static_cast<char16_t>(ch - u'a' + u'A');
        }
        return text;
    }
};

}  // namespace

void WalkVersionRecord(const std::uint8_t* data, std::size_t dataSize, bool firstTableOnly,
                       VersionWalkResult& result)
{
    result.tableName.clear();
    VersionRecordWalker(data, dataSize, firstTableOnly, result).Walk();
}
