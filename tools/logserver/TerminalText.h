#pragma once

#include <string>
#include <string_view>

namespace tarvix::logserver {

/// Client-supplied text made safe to print: printable ASCII stays, a backslash or double quote
/// gets a backslash, every other byte becomes \xNN. Bytes of non-ASCII characters are escaped
/// too, since some of them (C1 controls, broken sequences) are read by terminals as controls.
std::string terminalText(std::string_view text);

}  // namespace tarvix::logserver
