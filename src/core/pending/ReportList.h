#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "core/pending/PendingRecord.h"
#include "platform/PrivateFolder.h"

namespace tarvix::pending {

/// One line of the list of reports the window shows. It holds nothing personal: no description,
/// no address, no file name.
struct ListedReport {
    std::string session;
    std::int64_t date = 0;  ///< when it was first tried, seconds since 1970 (UTC)
    std::uint64_t size = 0;
    ReportState state = ReportState::pending;
    std::string logId;
    std::optional<std::int64_t> nextAttempt;  ///< pending ones only
};

/// The list, kept as "Reports.json" in an owner-only folder; read as untrusted input (entries
/// that are not well formed are left out).
class ReportList {
public:
    static constexpr const char* kFileName = "Reports.json";

    static std::vector<ListedReport> read(const platform::PrivateFolder& folder);
    static tarvix::Status write(const platform::PrivateFolder& folder, const std::vector<ListedReport>& reports);
    /// The entry for `record`'s session replaced (or added), written atomically.
    static tarvix::Status put(const platform::PrivateFolder& folder, const PendingRecord& record);
    static tarvix::Status drop(const platform::PrivateFolder& folder, std::string_view session);
};

}  // namespace tarvix::pending
