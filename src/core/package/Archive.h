#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/Status.h"
#include "core/workspace/Session.h"

/// The session's archive and its size gate.
namespace tarvix::FilesPathDirectory {

/// "scrivoMacLog_" + UniqueId + "_abc.zip": every session of a run gives its archive this name.
std::string archiveName();

/// /usr/bin/zip -r -q ZIP NAME UserEmailFeedback.json -x .DS_Store, in the parent of directoryURL.
/// A failure is logged here.
tarvix::Status CommandLineCompression(const std::optional<std::filesystem::path>& directoryURL,
                                      const std::optional<std::filesystem::path>& zipFileURL);
/// Writes an archive at the location it is given (which does not exist yet).
using ArchiveWriting = std::function<tarvix::Status(const std::filesystem::path& archive)>;
/// Zips the session's output folder and record in its scratch folder (or has `write` make the
/// archive there) and leaves the archive alone in the session folder; answers that archive
/// (compressedLogURL). Failures are logged here.
tarvix::Result<std::filesystem::path> CompressOutputDirectory(const tarvix::Session& session,
                                                              const ArchiveWriting& write = {});
/// The size gate: an archive of this size or more is refused.
inline constexpr std::uintmax_t kArchiveSizeLimit = 100u << 20;
/// True when the file is below kArchiveSizeLimit.
bool isFileSizeValid(const std::filesystem::path& for_);

}  // namespace tarvix::FilesPathDirectory
