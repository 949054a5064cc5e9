#include "core/package/EscapedForms.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace tarvix {
namespace {

void appendHex(std::string& out, const char* prefix, unsigned value, int digits)
{
    char text[8];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    out += prefix;
    out += text;
}

/// As JSON writers that keep to ASCII write it; absent for bytes that are not UTF-8.
std::optional<std::string> jsonForm(std::string_view value, bool escapeSlash)
{
    std::string out;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data());
    const auto length = static_cast<std::int32_t>(value.size());
    for (std::int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0) return std::nullopt;
        if (c == '"' || c == '\\' || (c == '/' && escapeSlash)) {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x80) {
            if (c > 0xFFFF) {  // a pair of surrogates
                appendHex(out, "\\u", static_cast<unsigned>(U16_LEAD(c)), 4);
                appendHex(out, "\\u", static_cast<unsigned>(U16_TRAIL(c)), 4);
            } else {
                appendHex(out, "\\u", static_cast<unsigned>(c), 4);
            }
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string xmlForm(std::string_view value)
{
    std::string out;
    for (const char c : value) switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    return out;
}

std::string percentForm(std::string_view value)
{
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || c == '/')
            out += c;
        else
            appendHex(out, "%", byte, 2);
    }
    return out;
}

}  // namespace

std::vector<std::string> escapedForms(std::string_view value)
{
    std::vector<std::string> forms;
    const auto keep = [&](std::optional<std::string> form) {
        if (form && *form != value && std::find(forms.begin(), forms.end(), *form) == forms.end())
            forms.push_back(std::move(*form));
    };
    keep(jsonForm(value, false));
    keep(jsonForm(value, true));
    keep(xmlForm(value));
    keep(percentForm(value));
    return forms;
}

}  // namespace tarvix
