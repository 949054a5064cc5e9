#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

/// The ways a text writes `value` (UTF-8): each case of its letters beyond ASCII (Unicode case
/// mapping; ASCII case the hider ignores itself), composed (NFC) and decomposed (NFD). The value
/// itself first, each form once; at most kMostSpellings of them.
std::vector<std::string> unicodeSpellings(std::string_view value);
inline constexpr std::size_t kMostSpellings = 64;

/// `utf8` as UTF-16, little- or big-endian.
std::string utf16(std::string_view utf8, bool bigEndian);

/// `placeholder` cut or padded with '_' to exactly `bytes` bytes: a binary file keeps its layout.
std::string fitted(std::string_view placeholder, std::size_t bytes);

}  // namespace tarvix
