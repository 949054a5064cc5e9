#include "TerminalText.h"

#include <cstdio>

namespace tarvix::logserver {

// Written here: nothing the server links escapes byte by byte for a terminal.
std::string terminalText(std::string_view text)
{
    std::string printable;
    printable.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            printable += '\\';
            printable += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            printable += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            printable += escaped;
        }
    }
    return printable;
}

}  // namespace tarvix::logserver
