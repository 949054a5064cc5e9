#pragma once

#include <optional>
#include <string>

#include "base/Status.h"

namespace tarvix::spindump {

/// Why the report could not go to `path`, found before sampling so a bad path fails at once;
/// absent when it may. Advisory: writeReportFile() decides.
std::optional<std::string> reportPathProblem(const std::string& path, bool mustBeNew);

/// Writes `text` to `path`, owner-only: never through a link at PATH, never into a FIFO, and with
/// `mustBeNew` never over anything that already exists there.
tarvix::Status writeReportFile(const std::string& path, const std::string& text, bool mustBeNew);

}  // namespace tarvix::spindump
