#include "core/package/EscapedForms.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

namespace tarvix {
namespace {

/// As JSON writers that keep to ASCII write it; absent for bytes that are not UTF-8.
std::optional<std::string> jsonForm(std::string_view value, bool escapeSlash)
{
    std::string quoted;
    try {
        quoted = nlohmann::json(std::string(value)).dump(-1, ' ', true);
    } catch (const nlohmann::json::type_error&) {
        return std::nullopt;
    }
    std::string out;
    for (const char c : std::string_view(quoted).substr(1, quoted.size() - 2)) {
        if (c == '/' && escapeSlash) out += '\\';
        out += c;
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
            c == '.' || c == '_' || c == '~' || c == '/') {
            out += c;
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02x", byte);
        out += escaped;
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
