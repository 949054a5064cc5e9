#include "base/Format.h"

#include <locale.h>

#include <charconv>
#include <cstring>

namespace tarvix {

std::string format(std::string_view formatString, std::initializer_list<std::string_view> arguments)
{
    std::string out;
    out.reserve(formatString.size() + 32);
    auto next = arguments.begin();
    for (std::size_t i = 0; i < formatString.size(); ++i) {
        if (formatString[i] == '%' && i + 1 < formatString.size() && formatString[i + 1] == '@') {
            if (next != arguments.end()) out += *next++;
            ++i;
        } else {
            out += formatString[i];
        }
    }
    return out;
}

std::string escapedForQuotes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string errorText(int errorNumber)
{
    // The application takes the user's locale for the whole C library; support reads English.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    if (!c) return "error " + std::to_string(errorNumber);
    return ::strerror_l(errorNumber, c);
}

std::string errorText(const std::error_code& error)
{
    const auto& category = error.category();
    if (category == std::generic_category() || category == std::system_category()) return errorText(error.value());
    return error.message();
}

std::string decimalText(double value, int decimals)
{
    char text[400];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, written.ptr);
}

}  // namespace tarvix
