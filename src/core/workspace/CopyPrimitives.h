#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/Status.h"
#include "platform/TreeCopy.h"

namespace tarvix::UtilityFunctions {

/// Items of one kind a run's copies name in the log, each on its own line; the rest are counted.
inline constexpr std::uint64_t kNamedLeftOut = 100;

/// Closes a run's copies: one line for each kind of item left out past the first kNamedLeftOut.
void logLeftOutSummary(const platform::CopyBudget& budget);

/// Copies sourceDirectory/fileName to destinationDirectory/fileName, creating the destination
/// folder. Failures are logged here; a file the budget leaves out is no failure.
tarvix::Status CopyFiles(const std::filesystem::path& sourceDirectory,
                         const std::filesystem::path& destinationDirectory, const std::string& fileName,
                         platform::CopyBudget* budget = nullptr);
/// Copies a file or a whole tree to exactly `to`; never overwrites, never follows a symbolic link
/// (platform::copyTree), and with `budget` leaves out what no longer fits. Each item left out is
/// named in one log line, and is no failure.
tarvix::Status copyItem(const std::optional<std::filesystem::path>& at, const std::optional<std::filesystem::path>& to,
                        platform::CopyBudget* budget = nullptr);

/// Whether a copy failed only because its source is missing: for an optional item of the
/// target's material, no failure of its collector.
bool isMissingSource(const tarvix::Status& copied);

}  // namespace tarvix::UtilityFunctions
