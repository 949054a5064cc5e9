#include "base/Format.h"

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

}  // namespace tarvix
