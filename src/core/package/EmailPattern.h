#pragma once

#include <string_view>

namespace tarvix {

/// True for "" and for exactly the addresses the support e-mail pattern accepts; linear time.
bool isValidEmail(std::string_view email);

}  // namespace tarvix
