#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Status.h"

namespace tarvix::pending {

enum class ReportState { pending, sent, givenUp };

/// What Tarvix knows of one report kept to send later; times in seconds since 1970 (UTC).
struct PendingRecord {
    /// The session's folder name, which also names the report's folder.
    std::string session;
    /// The run's Log ID, which the archive's name carries.
    std::string logId;
    /// The archive's own name, sent as the part's file name.
    std::string archive;
    std::uint64_t size = 0;
    std::int64_t firstFailure = 0;
    int attempts = 0;
    std::int64_t nextAttempt = 0;
    ReportState state = ReportState::pending;
};

std::string toJson(const PendingRecord& record);
/// Reads a record as untrusted input: every field present and well formed, names that stay
/// inside their folder, the archive named after the Log ID.
tarvix::Result<PendingRecord> parseRecord(std::string_view json);

/// Session names are the workspace's folder names: letters, digits, '-' and '_'.
bool isSessionName(std::string_view name);
/// A Log ID as the run makes it: a lower-case UUID.
bool isLogId(std::string_view text);
/// The archive's name for a Log ID, as the packaging names it.
std::string archiveNameFor(std::string_view logId);

std::string stateName(ReportState state);
std::optional<ReportState> stateNamed(std::string_view name);

}  // namespace tarvix::pending
