#include "core/pending/RetrySchedule.h"

#include <algorithm>

namespace tarvix::pending {

std::optional<TimePoint> RetrySchedule::nextAttempt(TimePoint firstFailure, int failedAttempts, TimePoint now,
                                                    double random) const
{
    if (givenUp(firstFailure, now)) return std::nullopt;
    auto wait = first;
    for (int attempt = 1; attempt < failedAttempts && wait < longest; ++attempt) wait *= 2;
    wait = std::min(wait, longest);
    const double spread = 1.0 + jitter * (2.0 * std::clamp(random, 0.0, 1.0) - 1.0);
    const auto spreadWait = std::chrono::duration_cast<std::chrono::milliseconds>(wait * spread);
    return std::min(now + spreadWait, firstFailure + giveUpAfter);
}

}  // namespace tarvix::pending
