#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/workspace/Session.h"
#include "platform/Platform.h"

namespace tarvix::UtilityFunctions {

/// Writes a text file whole; nothing for an absent location or an empty text.
void CreateFile(const std::optional<std::filesystem::path>& fileURL, const std::string& fileContent);
/// Writes "UserEmailFeedback.json" into the session folder (the parent of the output folder),
/// with the machine identifier the folders give.
void CreateUserDetailContent(const platform::Folders& folders, const tarvix::Session& session, const std::string& email,
                             const std::string& feedback);

}  // namespace tarvix::UtilityFunctions
