#include "core/package/ProofDecoding.h"

#include <unicode/utf8.h>

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace tarvix {
namespace {

void appendUtf8(std::string& out, char32_t c)
{
    char bytes[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(c));
    out.append(bytes, static_cast<std::size_t>(length));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 32) >= 'a' && (c | 32) <= 'f') return (c | 32) - 'a' + 10;
    return -1;
}

std::optional<char32_t> hexNumber(std::string_view digits)
{
    char32_t value = 0;
    for (const char c : digits) {
        const int d = hexDigit(c);
        if (d < 0 || value > 0x10FFFF) return std::nullopt;
        value = value * 16 + static_cast<char32_t>(d);
    }
    return digits.empty() ? std::nullopt : std::optional<char32_t>(value);
}

/// The character an XML entity at the start of `text` (after its "&") stands for, and the bytes it
/// takes with its ";".
std::optional<std::pair<char32_t, std::size_t>> xmlEntity(std::string_view text)
{
    static const std::array<std::pair<std::string_view, char>, 5> named = {
        {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    const std::size_t end = text.substr(0, 12).find(';');
    if (end == std::string_view::npos || end < 2) return std::nullopt;
    const std::string_view name = text.substr(0, end);
    std::optional<char32_t> c;
    if (name[0] == '#' && (name[1] | 32) == 'x') {
        c = hexNumber(name.substr(2));
    } else if (name[0] == '#') {
        char32_t value = 0;
        bool digits = true;
        for (const char d : name.substr(1)) digits = digits && d >= '0' && d <= '9', value = value * 10 + (d - '0');
        if (digits && value <= 0x10FFFF) c = value;
    } else {
        for (const auto& [entity, character] : named)
            if (name == entity) c = static_cast<char32_t>(character);
    }
    if (!c) return std::nullopt;
    return std::pair{*c, end + 1};
}

}  // namespace

std::string fromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    char32_t high = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        const char32_t unit = bigEndian ? (a << 8 | b) : (b << 8 | a);
        if (unit >= 0xD800 && unit < 0xDC00) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000 && high)
            appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        else
            appendUtf8(out, unit == 0 ? U' ' : unit);
        high = 0;
    }
    return out;
}

/// `text` with JSON, XML and percent escapes decoded in one pass, however a file mixed them.
std::string unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    char32_t high = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            const auto unit = next == 'u' && i + 6 <= text.size() ? hexNumber(text.substr(i + 2, 4)) : std::nullopt;
            if (!unit) {
                out += next == 'n' || next == 't' || next == 'r' ? ' ' : next;
                ++i;
                continue;
            }
            i += 5;
            if (*unit >= 0xD800 && *unit < 0xDC00) {
                high = *unit;
                continue;
            }
            appendUtf8(out, *unit >= 0xDC00 && *unit < 0xE000 && high
                                ? 0x10000 + ((high - 0xD800) << 10) + (*unit - 0xDC00)
                                : *unit);
            high = 0;
        } else if (const auto entity = c == '&' ? xmlEntity(text.substr(i + 1)) : std::nullopt) {
            appendUtf8(out, entity->first);
            i += entity->second;
        } else if (c == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tarvix
