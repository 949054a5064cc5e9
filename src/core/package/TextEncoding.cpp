#include "core/package/TextEncoding.h"

#include <unicode/utf8.h>

#include <cstddef>

namespace tarvix {
namespace {

void appendUtf8(char32_t c, std::string& out)
{
    char bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(c));
    out.append(bytes, static_cast<std::size_t>(length));
}

bool isLead(char32_t unit) { return unit >= 0xD800 && unit < 0xDC00; }
bool isTrail(char32_t unit) { return unit >= 0xDC00 && unit < 0xE000; }

}  // namespace

TextEncoding textEncoding(std::string_view head)
{
    if (head.starts_with("\xFF\xFE")) return TextEncoding::utf16le;
    if (head.starts_with("\xFE\xFF")) return TextEncoding::utf16be;
    std::size_t units = head.size() / 2, zeroLow = 0, zeroHigh = 0;
    for (std::size_t i = 0; i < units; ++i) {
        zeroLow += head[2 * i] == '\0';
        zeroHigh += head[2 * i + 1] == '\0';
    }
    // Text has no zero code unit; mostly-ASCII UTF-16 has a zero in the same half of most units.
    if (units < 2 || (zeroLow > 0 && zeroHigh > 0)) return TextEncoding::utf8;
    if (zeroHigh * 2 > units) return TextEncoding::utf16le;
    if (zeroLow * 2 > units) return TextEncoding::utf16be;
    return TextEncoding::utf8;
}

void Utf16Decoder::feed(std::string_view bytes, std::string& utf8)
{
    std::string joined;
    if (!m_odd.empty()) {
        joined = m_odd;
        joined.append(bytes);
        bytes = joined;
        m_odd.clear();
    }
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        const char32_t unit = m_bigEndian ? (first << 8 | second) : (second << 8 | first);
        if (m_lead && isTrail(unit)) {
            appendUtf8(0x10000 + ((m_lead - 0xD800) << 10) + (unit - 0xDC00), utf8);
            m_lead = 0;
            continue;
        }
        if (m_lead) appendUtf8(m_lead, utf8);
        m_lead = 0;
        if (isLead(unit))
            m_lead = unit;
        else
            appendUtf8(unit, utf8);
    }
    m_odd.assign(bytes.substr(i));
}

void Utf16Decoder::finish(std::string& utf8)
{
    if (m_lead) appendUtf8(m_lead, utf8);
    m_lead = 0;
}

void Utf16Encoder::unit(char32_t unit, std::string& bytes) const
{
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += m_bigEndian ? high : low;
    bytes += m_bigEndian ? low : high;
}

void Utf16Encoder::feed(std::string_view utf8, std::string& bytes)
{
    m_partial.append(utf8);
    std::size_t i = 0;
    while (i < m_partial.size()) {
        const auto lead = static_cast<unsigned char>(m_partial[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (i + length > m_partial.size()) break;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(m_partial[i + k]) & 0x3F);
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10), bytes);
            unit(0xDC00 + ((c - 0x10000) & 0x3FF), bytes);
        } else {
            unit(c, bytes);
        }
        i += length;
    }
    m_partial.erase(0, i);
}

}  // namespace tarvix
