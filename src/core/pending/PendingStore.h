#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "core/pending/PendingRecord.h"
#include "core/pending/ReportList.h"
#include "core/pending/RetrySchedule.h"
#include "platform/PrivateFolder.h"

namespace tarvix::pending {

/// The reports kept to send later, each in its own folder of the owner-only "Pending" folder:
/// the archive exactly as it was packaged and "record.json". A report appears whole or not at all
/// (it is assembled in a hidden folder and renamed into place), so a crash at any point leaves
/// either nothing or a complete report. Everything read back is checked as untrusted input.
/// Safe to use from several threads.
class PendingStore {
public:
    static constexpr const char* kFolderName = "Pending";
    static constexpr const char* kRecordName = "record.json";

    /// `tarvixFolder`: the workspace's own folder (~/Library/Tarvix), which holds "Pending" and
    /// the list of reports. Fails when it is not an owner-only folder of this user's.
    static tarvix::Result<std::shared_ptr<PendingStore>> open(const std::filesystem::path& tarvixFolder);

    /// Keeps a copy of `archive` as the report of `session`, first tried (and failed) at `now`,
    /// next tried at `nextAttempt`; logs "Report <session> kept to send later.".
    tarvix::Status keep(const std::filesystem::path& archive, const std::string& session, const std::string& logId,
                        TimePoint now, TimePoint nextAttempt);

    /// Every well-formed report still kept, pending and given up, by next attempt. A report
    /// whose Log ID the list already records as sent is removed here, never offered again.
    std::vector<PendingRecord> reports();

    /// One report opened for sending: its folder stays open, and `archive` reaches the archive
    /// through it for as long as this object lives.
    struct Opened {
        platform::PrivateFolder folder;
        PendingRecord record;
        std::filesystem::path archive;
    };
    tarvix::Result<Opened> openReport(const std::string& session);

    /// Writes a report's changed record (attempts, next attempt, state) and its list entry.
    tarvix::Status update(const PendingRecord& record);
    /// The server took the report: records it as sent, then removes the pending copy.
    tarvix::Status markSent(const PendingRecord& record);
    /// Removes a pending or given-up report and its list entry.
    tarvix::Status discard(const std::string& session);

    std::vector<ListedReport> list();

private:
    PendingStore(platform::PrivateFolder root, platform::PrivateFolder pending)
        : m_root(std::move(root)), m_pending(std::move(pending))
    {
    }
    /// The record of the report folder `name`, checked with its archive (this user's own, one
    /// link, the recorded size); the archive stays open in `archive` when given.
    tarvix::Result<PendingRecord> readRecord(const platform::PrivateFolder& report, const std::string& name,
                                             platform::FileDescriptor* archive = nullptr);

    std::mutex m_mutex;  // one change of the folder or the list at a time
    platform::PrivateFolder m_root;
    platform::PrivateFolder m_pending;
};

}  // namespace tarvix::pending
