#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/Status.h"
#include "core/workspace/Session.h"
#include "platform/Platform.h"

namespace tarvix {

/// Writes a text file whole, or logs why not; fails (nothing written) for an absent location or an
/// empty text.
tarvix::Status CreateFile(const std::optional<std::filesystem::path>& fileURL, const std::string& fileContent);
/// Writes "UserEmailFeedback.json" into the session folder (the parent of the output folder),
/// with the machine identifier the folders give.
tarvix::Status CreateUserDetailContent(const platform::Folders& folders, const tarvix::Session& session,
                                       const std::string& email, const std::string& feedback);

}  // namespace tarvix
