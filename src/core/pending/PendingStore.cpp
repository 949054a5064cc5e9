#include "core/pending/PendingStore.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "base/Uuid.h"
#include "core/log/Logger.h"
#include "platform/FolderRelative.h"

namespace fs = std::filesystem;

namespace tarvix::pending {
namespace {

constexpr std::size_t kRecordLimit = 64 * 1024;
constexpr const char* kAssemblyPrefix = ".keep-";

std::int64_t secondsOf(TimePoint time)
{
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

bool sentBefore(const std::vector<ListedReport>& list, const PendingRecord& record)
{
    return std::any_of(list.begin(), list.end(), [&](const ListedReport& listed) {
        return listed.session == record.session && listed.state == ReportState::sent;
    });
}

}  // namespace

tarvix::Result<std::shared_ptr<PendingStore>> PendingStore::open(const fs::path& tarvixFolder)
{
    auto root = platform::PrivateFolder::open(tarvixFolder, true);
    if (!root) {
        Logger::logError("The reports kept to send later cannot be reached: " + root.message());
        return root.failure();
    }
    auto pending = root->folder(kFolderName, true);
    if (!pending) {
        Logger::logError("The reports kept to send later cannot be reached: " + pending.message());
        return pending.failure();
    }
    return std::shared_ptr<PendingStore>(new PendingStore(std::move(root).value(), std::move(pending).value()));
}

tarvix::Status PendingStore::keep(const fs::path& archive, const std::string& session, const std::string& logId,
                                  TimePoint now, TimePoint nextAttempt)
{
    std::lock_guard lock(m_mutex);
    const auto refuse = [&session](const tarvix::Failure& failure) {
        Logger::logError("Report " + session + " could not be kept to send later: " + failure.message);
        return tarvix::Status(failure);
    };
    if (!isSessionName(session) || !isLogId(logId)) return refuse({"not a session of this run", EINVAL});
    auto source = platform::openFileInside(archive.parent_path(), archive.filename().string());
    if (!source) return refuse(source.failure());

    // Assembled out of sight and renamed into place whole: a crash leaves a hidden folder that
    // the next look at the store clears, never half a report.
    const std::string assembly = kAssemblyPrefix + makeUuid().substr(0, 8);
    auto folder = m_pending.folder(assembly, true);
    if (!folder) return refuse(folder.failure());
    PendingRecord record{session,        logId, archiveNameFor(logId),  0,
                         secondsOf(now), 1,     secondsOf(nextAttempt), ReportState::pending};
    tarvix::Status status;
    if (auto copied = folder->copyInto(record.archive, source->get()); copied)
        record.size = *copied;
    else
        status = copied.failure();
    if (status) status = folder->writeAtomically(kRecordName, toJson(record));
    if (status) status = folder->sync();
    if (status) status = m_pending.renameNew(assembly, session);
    if (!status) {
        m_pending.remove(assembly).absorb();
        return refuse(status.failure());
    }
    ReportList::put(m_root, record).absorb();
    Logger::logInfo("Report " + session + " kept to send later.");
    return {};
}

tarvix::Result<PendingRecord> PendingStore::readRecord(const platform::PrivateFolder& report, const std::string& name,
                                                       platform::FileDescriptor* archive)
{
    auto text = report.readOwnFile(kRecordName, kRecordLimit);
    if (!text) return text.failure();
    auto record = parseRecord(*text);
    if (!record) return record;
    if (record->session != name) return tarvix::Failure{"recorded for another session", EINVAL};
    auto opened = report.openOwnFile(record->archive);
    if (!opened) return opened.failure();
    struct stat status {};
    if (::fstat(opened->get(), &status) != 0 || static_cast<std::uint64_t>(status.st_size) != record->size)
        return tarvix::Failure{"the archive is not the one kept", EINVAL};
    if (archive) *archive = std::move(opened).value();
    return record;
}

std::vector<PendingRecord> PendingStore::reports()
{
    std::lock_guard lock(m_mutex);
    std::vector<PendingRecord> found;
    auto names = m_pending.names();
    if (!names) return found;
    const std::vector<ListedReport> list = ReportList::read(m_root);
    for (const std::string& name : *names) {
        if (name.rfind(kAssemblyPrefix, 0) == 0) {
            m_pending.remove(name).absorb();  // a report a crash left half made
            continue;
        }
        auto report = m_pending.folder(name, false);
        auto record = report ? readRecord(*report, name) : tarvix::Result<PendingRecord>(report.failure());
        if (!record) {
            Logger::logError("Pending report " + name + " is not one Tarvix kept; left alone: " + record.message());
            continue;
        }
        if (sentBefore(list, *record)) {
            // Its Log ID was recorded but the copy outlived a crash: it is done, not sent again.
            m_pending.remove(name).absorb();
            continue;
        }
        // A crash between the rename and the list's write left it unlisted.
        const bool listed = std::any_of(list.begin(), list.end(),
                                        [&](const ListedReport& entry) { return entry.session == record->session; });
        if (!listed) ReportList::put(m_root, *record).absorb();
        found.push_back(std::move(record).value());
    }
    std::sort(found.begin(), found.end(),
              [](const PendingRecord& a, const PendingRecord& b) { return a.nextAttempt < b.nextAttempt; });
    return found;
}

tarvix::Result<PendingStore::Opened> PendingStore::openReport(const std::string& session)
{
    std::lock_guard lock(m_mutex);
    if (!isSessionName(session)) return tarvix::Failure{"not a session name", EINVAL};
    auto report = m_pending.folder(session, false);
    if (!report) return report.failure();
    auto record = readRecord(*report, session);
    if (!record) return record.failure();
    fs::path anchored = report->anchored(record->archive);
    return Opened{std::move(report).value(), std::move(record).value(), std::move(anchored)};
}

tarvix::Status PendingStore::update(const PendingRecord& record)
{
    std::lock_guard lock(m_mutex);
    auto report = m_pending.folder(record.session, false);
    if (!report) return report.failure();
    if (auto written = report->writeAtomically(kRecordName, toJson(record)); !written) return written;
    return ReportList::put(m_root, record);
}

tarvix::Status PendingStore::markSent(const PendingRecord& record)
{
    std::lock_guard lock(m_mutex);
    PendingRecord sent = record;
    sent.state = ReportState::sent;
    // The Log ID is on disk before the copy goes. A crash after the server took the report but
    // before this write sends it once more at the next start; it is never lost. A crash after it
    // leaves a copy that reports() removes unsent.
    if (auto listed = ReportList::put(m_root, sent); !listed) {
        Logger::logError("Report " + record.session + " was sent but could not be listed: " + listed.message());
        return listed;
    }
    return m_pending.remove(record.session);
}

tarvix::Status PendingStore::discard(const std::string& session)
{
    std::lock_guard lock(m_mutex);
    if (!isSessionName(session)) return tarvix::Failure{"not a session name", EINVAL};
    if (auto removed = m_pending.remove(session); !removed) return removed;
    Logger::logInfo("Report " + session + " discarded.");
    return ReportList::drop(m_root, session);
}

std::vector<ListedReport> PendingStore::list()
{
    std::lock_guard lock(m_mutex);
    return ReportList::read(m_root);
}

}  // namespace tarvix::pending
