#pragma once

#include <filesystem>
#include <functional>
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
/// with the machine identifier the folders give; `keyed` (a hidden share): the account's keyed
/// identifier instead, "" when its key cannot be had.
tarvix::Status CreateUserDetailContent(const platform::Folders& folders, const tarvix::Session& session,
                                       const std::string& email, const std::string& feedback, bool keyed = false);
/// A record's text with its description through `hide`, the rest as it was; a text that is not a
/// record comes back as it is.
std::string recordWithHiddenDescription(std::string_view text,
                                        const std::function<std::string(std::string_view)>& hide);

}  // namespace tarvix
