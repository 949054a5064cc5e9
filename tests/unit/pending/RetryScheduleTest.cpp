#include "core/pending/RetrySchedule.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using tarvix::pending::RetrySchedule;
using tarvix::pending::TimePoint;

TEST(RetrySchedule, DoublesFromAMinuteToAnHourSpreadByJitterNeverPastTheGiveUpTimeThenGivesUp)
{
    const RetrySchedule product;
    const TimePoint first{std::chrono::hours(1000)};
    struct Row {
        int failed;
        std::chrono::milliseconds sinceFirst;
        double random;
        std::optional<std::chrono::milliseconds> wait;  ///< absent: given up
    };
    for (const Row& row : std::vector<Row>{
             {1, 0ms, 0.5, 1min},
             {2, 0ms, 0.5, 2min},
             {6, 0ms, 0.5, 32min},
             {7, 0ms, 0.5, 60min},  // 64 minutes capped at the hour
             {40, 0ms, 0.5, 60min},
             {1, 0ms, 0.0, 48s},  // ±20 %
             {1, 0ms, 0.999999, 71999ms},
             {7, 0ms, 1.5, 72min},                                 // out of range: the widest spread
             {9, std::chrono::hours(24 * 7) - 10min, 0.5, 10min},  // the last attempt falls on the give-up time
             {9, std::chrono::hours(24 * 7), 0.5, std::nullopt},
         }) {
        const TimePoint now = first + row.sinceFirst;
        const auto next = product.nextAttempt(first, row.failed, now, row.random);
        SCOPED_TRACE(row.failed);
        ASSERT_EQ(next.has_value(), row.wait.has_value());
        if (next) {
            EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(*next - now), *row.wait);
        }
        EXPECT_EQ(product.givenUp(first, now), !row.wait);
    }
    // The times are parameters: a test runs the same schedule in milliseconds.
    const RetrySchedule quick{.first = 10ms, .longest = 40ms, .giveUpAfter = 1s, .jitter = 0};
    EXPECT_EQ(*quick.nextAttempt(first, 5, first, 0.3) - first, 40ms);
}
