#include "core/package/EmailPattern.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>

// The address pattern is
//   ^([0-9a-zA-Z]([\+\-_\.][0-9a-zA-Z]+)*)+@(([0-9a-zA-Z][-\w]*[0-9a-zA-Z]*\.)+[a-zA-Z0-9]{2,17})$
// matched against the whole text. Its nested repetitions make backtracking engines (ICU's own
// included) exponential, so it is checked by hand in one pass. Rewritten as plain languages:
//   local part = A ( S? A )*                   A = ASCII letter or digit, S = one of + - _ .
//   domain     = ( A W* "." )+ A{2,17}         W = "-" or ICU's \w ("[0-9a-zA-Z]*" before the
//                                              dot adds nothing, since A is inside \w)
// Neither part can hold "@", and W holds no ".", so the text splits at its only "@" and the
// domain's labels at its dots, and each piece is judged on its own.
namespace tarvix {
namespace {

bool isAsciiAlnum(UChar32 c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

/// ICU's \w: [\p{Alphabetic}\p{Mark}\p{Decimal_Number}\p{Connector_Punctuation}\u200c\u200d].
bool isWordCharacter(UChar32 c)
{
    if (c == 0x200C || c == 0x200D || u_hasBinaryProperty(c, UCHAR_ALPHABETIC)) return true;
    const std::int8_t type = u_charType(c);
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK ||
           type == U_DECIMAL_DIGIT_NUMBER || type == U_CONNECTOR_PUNCTUATION;
}

bool isSeparator(char c) { return c == '+' || c == '-' || c == '_' || c == '.'; }

bool isValidLocalPart(std::string_view local)
{
    if (local.empty() || !isAsciiAlnum(static_cast<unsigned char>(local.front())) ||
        !isAsciiAlnum(static_cast<unsigned char>(local.back())))
        return false;
    bool previousWasSeparator = false;
    for (const char c : local) {
        if (isSeparator(c)) {
            if (previousWasSeparator) return false;
            previousWasSeparator = true;
        } else if (isAsciiAlnum(static_cast<unsigned char>(c))) {
            previousWasSeparator = false;
        } else {
            return false;
        }
    }
    return true;
}

/// A W*, with W decoded from UTF-8; malformed UTF-8 is no word character.
bool isValidLabel(std::string_view label)
{
    if (label.empty() || !isAsciiAlnum(static_cast<unsigned char>(label.front()))) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(label.data());
    const auto length = static_cast<std::int32_t>(label.size());
    for (std::int32_t i = 1; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c < 0 || (c != '-' && !isWordCharacter(c))) return false;
    }
    return true;
}

bool isValidFinalLabel(std::string_view label)
{
    if (label.size() < 2 || label.size() > 17) return false;
    for (const char c : label)
        if (!isAsciiAlnum(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

bool isValidEmail(std::string_view email)
{
    if (email.empty()) return true;
    const std::size_t at = email.find('@');
    if (at == std::string_view::npos || email.find('@', at + 1) != std::string_view::npos) return false;
    if (!isValidLocalPart(email.substr(0, at))) return false;

    const std::string_view domain = email.substr(at + 1);
    const std::size_t lastDot = domain.rfind('.');
    if (lastDot == std::string_view::npos || !isValidFinalLabel(domain.substr(lastDot + 1))) return false;
    std::size_t start = 0;
    while (start <= lastDot) {
        const std::size_t dot = domain.find('.', start);
        if (!isValidLabel(domain.substr(start, dot - start))) return false;
        start = dot + 1;
    }
    return true;
}

}  // namespace tarvix
