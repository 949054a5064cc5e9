#pragma once

#include <string>
#include <string_view>

namespace tarvix {

/// UTF-16 bytes (little or big endian) as UTF-8, each NUL as a space; the proof's own decoding,
/// apart from the hider's.
std::string fromUtf16(std::string_view bytes, bool bigEndian);

/// `text` with JSON, XML and percent escapes decoded in one pass, however a file mixed them.
std::string unescaped(std::string_view text);

}  // namespace tarvix
