#pragma once

#include <chrono>
#include <optional>

namespace tarvix::pending {

using TimePoint = std::chrono::system_clock::time_point;

/// When a pending report is tried again: the first wait, doubling after each failed attempt up
/// to the longest, each spread by the jitter; after `giveUpAfter` from the first failure it is
/// given up. Tests pass short times; the defaults are the product's.
struct RetrySchedule {
    std::chrono::milliseconds first = std::chrono::minutes(1);
    std::chrono::milliseconds longest = std::chrono::hours(1);
    std::chrono::milliseconds giveUpAfter = std::chrono::hours(24 * 7);
    /// Each wait is spread over ±jitter of itself, so many machines do not retry in step.
    double jitter = 0.2;

    /// The attempt after `failedAttempts` failed ones (at least 1); `random` in [0, 1). Never past
    /// the give-up time, so the last attempt falls on it. Absent once that time has come.
    std::optional<TimePoint> nextAttempt(TimePoint firstFailure, int failedAttempts, TimePoint now,
                                         double random) const;
    bool givenUp(TimePoint firstFailure, TimePoint now) const { return now >= firstFailure + giveUpAfter; }
};

}  // namespace tarvix::pending
