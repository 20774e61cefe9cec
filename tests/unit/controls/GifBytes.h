// Builds GIF files byte by byte for the tests: every block kind, exact layouts, and image
// data that a real decoder accepts (8-bit codes with a clear code every 100 pixels, so no
// compression is needed to write valid LZW).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CGifBytes
{
public:
    // Signature and logical screen descriptor; a global table of 2^(tableBits) entries.
    CGifBytes& Header(uint16_t width, uint16_t height, int tableBits = 1, const char* signature = "GIF89a")
    {
        Append(std::string(signature));
        Word(width);
        Word(height);
        const bool hasTable = tableBits > 0;
        m_bytes.push_back(static_cast<uint8_t>(hasTable ? (0x80 | 0x70 | (tableBits - 1)) : 0));
        m_bytes.push_back(0); // background colour index
        m_bytes.push_back(0); // aspect ratio
        if (hasTable)
        {
            // Entry i is a distinct grey-blue so tests can tell pixels apart.
            for (int i = 0; i < (1 << tableBits); ++i)
            {
                m_bytes.push_back(static_cast<uint8_t>(i * 40));
                m_bytes.push_back(static_cast<uint8_t>(255 - i * 40));
                m_bytes.push_back(static_cast<uint8_t>(i * 20));
            }
        }
        return *this;
    }

    CGifBytes& Netscape()
    {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFF, 0x0B});
        Append("NETSCAPE2.0");
        m_bytes.insert(m_bytes.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
        return *this;
    }

    CGifBytes& Comment(const std::string& text)
    {
        m_bytes.insert(m_bytes.end(), {0x21, 0xFE});
        SubBlocks(std::vector<uint8_t>(text.begin(), text.end()));
        return *this;
    }

    CGifBytes& Control(uint16_t delay, int disposal, bool transparent = false, uint8_t transparentIndex = 0)
    {
        m_bytes.insert(m_bytes.end(), {0x21, 0xF9, 0x04});
        m_bytes.push_back(static_cast<uint8_t>((disposal & 7) << 2 | (transparent ? 1 : 0)));
        Word(delay);
        m_bytes.push_back(transparentIndex);
        m_bytes.push_back(0);
        return *this;
    }

    CGifBytes& PlainText(uint16_t left, uint16_t top, uint16_t width, uint16_t height, const std::string& text)
    {
        m_bytes.insert(m_bytes.end(), {0x21, 0x01, 0x0C});
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        m_bytes.insert(m_bytes.end(), {8, 8, 1, 0});
        SubBlocks(std::vector<uint8_t>(text.begin(), text.end()));
        return *this;
    }

    // An image of one colour index; localTableBits > 0 adds a local colour table.
    CGifBytes& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                     uint8_t colourIndex = 0, int localTableBits = 0)
    {
        m_bytes.push_back(0x2C);
        Word(left);
        Word(top);
        Word(width);
        Word(height);
        m_bytes.push_back(static_cast<uint8_t>(localTableBits > 0 ? 0x80 | (localTableBits - 1) : 0));
        for (int i = 0; localTableBits > 0 && i < (1 << localTableBits); ++i)
            m_bytes.insert(m_bytes.end(), {uint8_t(i), uint8_t(i), uint8_t(i)});
        // Minimum code size 7: codes are 8 bits wide (clear 128, end 129) as long as fewer
        // than 127 codes follow a clear, so each code is one byte.
        m_bytes.push_back(7);
        std::vector<uint8_t> codes;
        const uint32_t pixels = static_cast<uint32_t>(width) * height;
        for (uint32_t i = 0; i < pixels; ++i)
        {
            if (i % 100 == 0)
                codes.push_back(128);
            codes.push_back(colourIndex);
        }
        codes.push_back(129);
        SubBlocks(codes);
        return *this;
    }

    CGifBytes& Trailer()
    {
        m_bytes.push_back(0x3B);
        return *this;
    }

    CGifBytes& Raw(std::initializer_list<uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes);
        return *this;
    }

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t> Truncated(size_t size) const
    {
        return std::vector<uint8_t>(m_bytes.begin(), m_bytes.begin() + size);
    }

private:
    void Word(uint16_t value)
    {
        m_bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        m_bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Append(const std::string& text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    void SubBlocks(const std::vector<uint8_t>& data)
    {
        for (size_t at = 0; at < data.size(); at += 255)
        {
            const size_t length = data.size() - at < 255 ? data.size() - at : 255;
            m_bytes.push_back(static_cast<uint8_t>(length));
            m_bytes.insert(m_bytes.end(), data.begin() + at, data.begin() + at + length);
        }
        m_bytes.push_back(0);
    }

    std::vector<uint8_t> m_bytes;
};
