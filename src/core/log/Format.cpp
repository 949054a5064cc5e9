#include "core/log/Format.h"

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

}  // namespace tarvix
