#include "core/package/EscapedForms.h"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
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

/// HTML's name for a letter with one accent ("&uuml;"), from its decomposition; empty for none.
std::string namedEntity(UChar32 c)
{
    static const std::pair<UChar32, const char*> kWhole[] = {
        {0xC6, "AElig"},   {0xE6, "aelig"},   {0xD0, "ETH"},     {0xF0, "eth"},    {0xDE, "THORN"},  {0xFE, "thorn"},
        {0xDF, "szlig"},   {0xD8, "Oslash"},  {0xF8, "oslash"},  {0x152, "OElig"}, {0x153, "oelig"}, {0x141, "Lstrok"},
        {0x142, "lstrok"}, {0x110, "Dstrok"}, {0x111, "dstrok"}, {0x131, "imath"}};
    for (const auto& [letter, name] : kWhole)
        if (letter == c) return std::string("&") + name + ";";
    static const std::pair<UChar32, const char*> kAccents[] = {
        {0x300, "grave"}, {0x301, "acute"}, {0x302, "circ"}, {0x303, "tilde"}, {0x304, "macr"},
        {0x306, "breve"}, {0x307, "dot"},   {0x308, "uml"},  {0x30A, "ring"},  {0x30B, "dblac"},
        {0x30C, "caron"}, {0x327, "cedil"}, {0x328, "ogon"}};
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    icu::UnicodeString parts;
    if (U_FAILURE(status) || !nfd->getDecomposition(c, parts) || parts.length() != 2 || parts.charAt(0) >= 0x80)
        return {};
    for (const auto& [accent, name] : kAccents)
        if (accent == parts.charAt(1)) return std::string("&") + static_cast<char>(parts.charAt(0)) + name + ";";
    return {};
}

enum class Reference { none, decimal, hex, named };

std::string numericReference(UChar32 c, Reference reference)
{
    char text[16] = "";
    if (reference == Reference::decimal) std::snprintf(text, sizeof text, "&#%d;", static_cast<int>(c));
    if (reference == Reference::hex) std::snprintf(text, sizeof text, "&#x%x;", static_cast<unsigned>(c));
    return text;
}

std::string markupEntity(UChar32 c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    default: return {};
    }
}

/// An XML/HTML text: what is beyond ASCII as it is or as a reference of one kind, the markup
/// characters as entities, as references of one kind, or (quotes) as they are; with `everything`
/// every character as a numeric reference.
std::string xmlForm(std::string_view value, Reference beyondAscii, Reference markup, bool everything)
{
    std::string out;
    for (int32_t at = 0, length = static_cast<int32_t>(value.size()); at < length;) {
        const int32_t start = at;
        UChar32 c = 0;
        U8_NEXT(value.data(), at, length, c);
        const std::string_view bytes =
            value.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(at - start));
        std::string written;
        if (c < 0)
            written = bytes;
        else if (everything)
            written = numericReference(c, beyondAscii);
        else if (c >= 0x80)
            written = beyondAscii == Reference::named ? namedEntity(c) : numericReference(c, beyondAscii);
        else if (!markupEntity(c).empty())
            written = markup == Reference::named  ? markupEntity(c)
                      : markup == Reference::none ? (c == '"' || c == '\'' ? std::string(bytes) : markupEntity(c))
                                                  : numericReference(c, markup);
        out += written.empty() ? std::string(bytes) : written;
    }
    return out;
}

/// Percent-encoded UTF-8 as URLs carry it: "/" kept or not, a space as "%20" or "+".
std::string percentForm(std::string_view value, bool keepSlash, bool spaceAsPlus)
{
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~' || (c == '/' && keepSlash)) {
            out += c;
            continue;
        }
        if (c == ' ' && spaceAsPlus) {
            out += '+';
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
    constexpr Reference kKinds[] = {Reference::none, Reference::decimal, Reference::hex, Reference::named};
    for (const Reference beyondAscii : kKinds)
        for (const Reference markup : kKinds) keep(xmlForm(value, beyondAscii, markup, false));
    keep(xmlForm(value, Reference::decimal, Reference::decimal, true));
    keep(xmlForm(value, Reference::hex, Reference::hex, true));
    for (const bool keepSlash : {true, false})
        for (const bool spaceAsPlus : {false, true}) keep(percentForm(value, keepSlash, spaceAsPlus));
    return forms;
}

}  // namespace tarvix
