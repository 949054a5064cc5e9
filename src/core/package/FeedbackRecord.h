#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace UtilityFunctions {

/// True for "" and for exactly the addresses the support e-mail pattern accepts; linear time.
bool isValidEmail(std::string_view email);
void CreateFile(const std::optional<std::filesystem::path>& fileURL, const std::string& fileContent);
/// Writes "UserEmailFeedback.json" into the session folder (the parent of tempOutputURL).
void CreateUserDetailContent(const std::string& email, const std::string& feedback);

}  // namespace UtilityFunctions
