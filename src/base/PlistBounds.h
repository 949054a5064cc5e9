#pragma once

#include <cstddef>
#include <string_view>

#include "base/Status.h"

namespace tarvix {

/// More nodes than any preference file or Info.plist holds, far fewer than would exhaust memory.
inline constexpr std::size_t kPlistNodeLimit = std::size_t{1} << 20;
/// Deeper nesting than this is refused: the parser and every walk over the tree recurse.
inline constexpr std::size_t kPlistDepthLimit = 512;

/// Whether the tree `bytes` would parse into stays within the limits, judged from the bytes alone.
/// A binary property list shares objects by reference and its tree copies each one where it is
/// referenced, so a few hundred bytes can name billions of nodes; its offset table and references
/// are counted without building anything. An XML one is judged by its nesting.
Status checkPlistBounds(std::string_view bytes);

}  // namespace tarvix
