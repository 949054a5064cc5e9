#include "core/package/ValueForms.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace tarvix {
namespace {

std::string toUtf8(const icu::UnicodeString& text)
{
    std::string out;
    text.toUTF8String(out);
    return out;
}

/// Each choice of case for the letters beyond ASCII, as long as there are few enough.
void addCaseChoices(const icu::UnicodeString& text, std::vector<icu::UnicodeString>& out, std::size_t most)
{
    std::vector<icu::UnicodeString> partial{icu::UnicodeString()};
    for (int32_t at = 0; at < text.length();) {
        const UChar32 c = text.char32At(at);
        at += U16_LENGTH(c);
        std::vector<UChar32> choices{c};
        if (c >= 0x80)
            for (const UChar32 other : {u_tolower(c), u_toupper(c), u_totitle(c), u_foldCase(c, U_FOLD_CASE_DEFAULT)})
                if (std::find(choices.begin(), choices.end(), other) == choices.end()) choices.push_back(other);
        if (partial.size() * choices.size() > most) return;
        std::vector<icu::UnicodeString> grown;
        for (const auto& prefix : partial)
            for (const UChar32 choice : choices) grown.push_back(icu::UnicodeString(prefix).append(choice));
        partial = std::move(grown);
    }
    out.insert(out.end(), partial.begin(), partial.end());
}

}  // namespace

std::vector<std::string> unicodeSpellings(std::string_view value)
{
    std::vector<std::string> spellings{std::string(value)};
    const auto keep = [&](std::string form) {
        if (spellings.size() < kMostSpellings && std::find(spellings.begin(), spellings.end(), form) == spellings.end())
            spellings.push_back(std::move(form));
    };
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(value.data(), value.size()));
    // Whole-text mappings first: they also catch what changes length ("ß" → "SS").
    std::vector<icu::UnicodeString> cased{text, icu::UnicodeString(text).toLower(), icu::UnicodeString(text).toUpper(),
                                          icu::UnicodeString(text).foldCase()};
    addCaseChoices(text, cased, kMostSpellings / 4);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    for (const auto& form : cased) {
        if (U_FAILURE(status)) break;
        keep(toUtf8(nfc->normalize(form, status)));
        keep(toUtf8(nfd->normalize(form, status)));
    }
    return spellings;
}

std::string utf16(std::string_view utf8, bool bigEndian)
{
    std::string out;
    const auto unit = [&](std::uint16_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xff);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    for (int32_t at = 0, length = static_cast<int32_t>(utf8.size()); at < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(utf8.data(), at, length, c);
        if (U_IS_BMP(c)) {
            unit(static_cast<std::uint16_t>(c));
        } else {
            unit(U16_LEAD(c));
            unit(U16_TRAIL(c));
        }
    }
    return out;
}

std::string fitted(std::string_view placeholder, std::size_t bytes)
{
    std::string out(placeholder.substr(0, bytes));
    out.resize(bytes, '_');
    return out;
}

}  // namespace tarvix
