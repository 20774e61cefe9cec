// Builds version records byte by byte, in the 32-bit (UTF-16 keys, type word) and the
// 16-bit (8-bit keys, no type word) layouts, so tests can craft well-formed and broken
// records alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testrecord {

using Bytes = std::vector<std::uint8_t>;

struct Node
{
    std::string key;
    Bytes value;
    std::uint16_t valueLength = 0;  // as written in the header
    std::vector<Node> children;
    // Text values count their length in characters, binary ones in bytes; the type
    // word (32-bit layout only) tells which.
    bool text = false;
};

inline void PutWord(Bytes& out, std::size_t at, unsigned word)
{
    out[at] = static_cast<std::uint8_t>(word & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>(word >> 8);
}

inline void PadTo4(Bytes& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}

inline void AppendText(Bytes& out, const std::string& text, bool wide)
{
    for (char ch : text)
    {
        out.push_back(static_cast<std::uint8_t>(ch));
        if (wide)
            out.push_back(0);
    }
    out.push_back(0);
    if (wide)
        out.push_back(0);
}

// The node's length covers its header, key, value and children, without trailing padding.
inline void Encode(const Node& node, bool wide, Bytes& out)
{
    PadTo4(out);
    const std::size_t start = out.size();
    out.resize(start + (wide ? 6 : 4), 0);
    PutWord(out, start + 2, node.valueLength);
    if (wide)
        PutWord(out, start + 4, node.text ? 1 : 0);
    AppendText(out, node.key, wide);
    if (!node.value.empty())
    {
        PadTo4(out);
        out.insert(out.end(), node.value.begin(), node.value.end());
    }
    for (const Node& child : node.children)
        Encode(child, wide, out);
    PutWord(out, start, static_cast<unsigned>(out.size() - start));
}

inline Node String(const std::string& key, const std::string& text, bool wide)
{
    Node node{key, {}, 0, {}, true};
    AppendText(node.value, text, wide);
    node.valueLength = static_cast<std::uint16_t>(wide ? text.size() + 1 : node.value.size());
    return node;
}

// A string node that has a key and no value at all.
inline Node StringWithoutValue(const std::string& key)
{
    return Node{key, {}, 0, {}, true};
}

inline Node Table(const std::string& name, std::vector<Node> strings)
{
    return Node{name, {}, 0, std::move(strings)};
}

inline Node StringFileInfo(std::vector<Node> tables)
{
    return Node{"StringFileInfo", {}, 0, std::move(tables)};
}

// pairs: language, code page, language, code page, ...
inline Node VarFileInfo(const std::vector<std::uint16_t>& pairs, const std::string& entryKey = "Translation")
{
    Node entry{entryKey, {}, static_cast<std::uint16_t>(pairs.size() * 2), {}};
    for (std::uint16_t word : pairs)
    {
        entry.value.push_back(static_cast<std::uint8_t>(word & 0xFF));
        entry.value.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    return Node{"VarFileInfo", {}, 0, {entry}};
}

// The fixed file information: signature, structure version, then the version numbers.
inline Bytes FixedInfo(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                       std::uint16_t revision)
{
    Bytes info(52, 0);
    const std::uint32_t words[] = {0xFEEF04BD, 0x00010000,
                                   static_cast<std::uint32_t>(major) << 16 | minor,
                                   static_cast<std::uint32_t>(build) << 16 | revision,
                                   static_cast<std::uint32_t>(major) << 16 | minor,
                                   static_cast<std::uint32_t>(build) << 16 | revision};
    for (std::size_t i = 0; i < 6; ++i)
    {
        for (std::size_t b = 0; b < 4; ++b)
            info[i * 4 + b] = static_cast<std::uint8_t>(words[i] >> (8 * b));
    }
    return info;
}

inline Bytes Record(std::vector<Node> children, bool wide = true,
                    const std::string& rootKey = "VS_VERSION_INFO")
{
    Node root{rootKey, FixedInfo(1, 0, 0, 37), 52, std::move(children)};
    Bytes out;
    Encode(root, wide, out);
    return out;
}

}  // namespace testrecord
