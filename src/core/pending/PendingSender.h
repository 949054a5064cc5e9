#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/pending/PendingStore.h"
#include "core/pending/RetrySchedule.h"
#include "core/upload/UploadAPI.h"

namespace tarvix::pending {

/// How one attempt at a pending report ended.
struct AttemptOutcome {
    std::string session;
    bool sent = false;
    bool givenUp = false;
    std::string logId;
};

/// Sends pending reports one at a time, each with the bytes it was kept with, on the schedule.
class PendingSender : public std::enable_shared_from_this<PendingSender> {
public:
    using Done = std::function<void(AttemptOutcome)>;
    /// `random` answers a number in [0, 1) for the schedule's jitter; `now` the current time.
    PendingSender(std::shared_ptr<PendingStore> store, RetrySchedule schedule, std::function<double()> random,
                  std::function<TimePoint()> now);

    /// Tries `session`'s report now. Answers false (and never calls `done`) when an attempt is
    /// running or the report cannot be sent; else `done` follows once, on the upload's thread.
    bool send(const std::string& session, Done done);
    /// Marks given up what is past its time; answers the pending report due first at the current
    /// time, if any.
    std::optional<std::string> due();
    /// When the next pending report falls due; absent when none is pending.
    std::optional<TimePoint> nextDue();
    bool busy() const;
    /// Stops the running attempt, whose report stays pending as it was.
    void cancel();

    PendingStore& store() { return *m_store; }

private:
    void finished(PendingRecord record, const UploadAPI::Result& result, const Done& done);

    std::shared_ptr<PendingStore> m_store;
    RetrySchedule m_schedule;
    std::function<double()> m_random;
    std::function<TimePoint()> m_now;
    mutable std::mutex m_mutex;
    std::shared_ptr<UploadAPI::UploadTask> m_running;  // guarded by m_mutex
    bool m_busy = false;                               // guarded by m_mutex
};

}  // namespace tarvix::pending
