#include "core/pending/PendingSender.h"

#include <utility>

#include "core/log/Logger.h"
#include "core/pending/Offer.h"
#include "core/upload/UrlErrors.h"
#include "platform/Clock.h"

namespace tarvix::pending {
namespace {

std::int64_t secondsOf(TimePoint time)
{
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

TimePoint timeOf(std::int64_t seconds) { return TimePoint(std::chrono::seconds(seconds)); }

std::string utcText(std::int64_t seconds)
{
    return platform::formatTime(static_cast<std::time_t>(seconds), "%Y-%m-%d %H:%M:%S UTC", platform::TimeZone::utc);
}

}  // namespace

PendingSender::PendingSender(std::shared_ptr<PendingStore> store, RetrySchedule schedule,
                             std::function<double()> random, std::function<TimePoint()> now)
    : m_store(std::move(store)), m_schedule(schedule), m_random(std::move(random)), m_now(std::move(now))
{
}

bool PendingSender::send(const std::string& session, Done done)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_busy) return false;
        m_busy = true;
    }
    auto opened = m_store->openReport(session);
    if (!opened || opened->record.state == ReportState::sent) {
        if (!opened) Logger::logError("Report " + session + " cannot be sent: " + opened.message());
        std::lock_guard lock(m_mutex);
        m_busy = false;
        return false;
    }
    // The open report folder reaches the archive until the upload has ended.
    auto report = std::make_shared<PendingStore::Opened>(std::move(opened).value());
    Logger::logInfo("Report " + session + ": attempt " + std::to_string(report->record.attempts + 1) + ".");
    std::lock_guard lock(m_mutex);
    m_running = UploadAPI::upload(report->archive, nullptr,
                                  [self = shared_from_this(), report, done = std::move(done)](
                                      UploadAPI::Result result) { self->finished(report->record, result, done); });
    if (!m_running) {
        m_busy = false;
        return false;
    }
    return true;
}

void PendingSender::finished(PendingRecord record, const UploadAPI::Result& result, const Done& done)
{
    AttemptOutcome outcome{record.session, false, false, record.logId};
    const int attempt = record.attempts + 1;
    if (result) {
        Logger::logInfo("Report " + record.session + " sent later. Log ID: " + record.logId);
        m_store->markSent(record).absorb();
        outcome.sent = true;
    } else if (result.error().code == UploadAPI::kURLErrorCancelled &&
               result.error().domain == UploadAPI::kURLErrorDomain) {
        Logger::logInfo("Report " + record.session + ": attempt " + std::to_string(attempt) + " stopped.");
    } else {
        record.attempts = attempt;
        const TimePoint now = m_now();
        const auto next = m_schedule.nextAttempt(timeOf(record.firstFailure), attempt, now, m_random());
        std::string line = "Report " + record.session + ": attempt " + std::to_string(attempt) +
                           " failed: " + result.error().localizedDescription;
        if (!mayPassLater(result.error())) line += " (the server refused it)";
        Logger::logInfo(line + (next ? " Next attempt: " + utcText(secondsOf(*next)) + "." : ""));
        if (next) {
            record.nextAttempt = secondsOf(*next);
        } else {
            record.state = ReportState::givenUp;
            Logger::logInfo("Report " + record.session + " given up after 7 days.");
            outcome.givenUp = true;
        }
        m_store->update(record).absorb();
    }
    {
        std::lock_guard lock(m_mutex);
        m_busy = false;
        m_running.reset();
    }
    if (done) done(std::move(outcome));
}

std::optional<std::string> PendingSender::due()
{
    const std::int64_t now = secondsOf(m_now());
    for (const PendingRecord& record : m_store->reports())
        if (record.state == ReportState::pending && record.nextAttempt <= now) return record.session;
    return std::nullopt;
}

std::optional<TimePoint> PendingSender::nextDue()
{
    for (const PendingRecord& record : m_store->reports())
        if (record.state == ReportState::pending) return timeOf(record.nextAttempt);
    return std::nullopt;
}

bool PendingSender::busy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

void PendingSender::cancel()
{
    std::shared_ptr<UploadAPI::UploadTask> running;
    {
        std::lock_guard lock(m_mutex);
        running = m_running;
    }
    if (running) running->cancel();
}

}  // namespace tarvix::pending
