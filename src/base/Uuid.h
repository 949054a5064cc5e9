#pragma once

#include <string>

namespace tarvix {

/// A new random (version 4) UUID in its canonical 36-character form, upper-case hex digits.
std::string makeUuid();

}  // namespace tarvix
