#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "base/Status.h"

namespace tarvix::platform {

/// A serial queue served by one named thread: work items run one after another, in submission
/// order. Destroying the handle accepts no more work; what is queued still runs and the thread
/// then ends by itself. It is never joined, so neither the owner nor the process's exit waits for
/// an item that waits on the user (a password prompt).
class SerialQueue {
public:
    /// `capacity` 0: unbounded; otherwise offer() drops work while that many items wait.
    explicit SerialQueue(const std::string& label, std::size_t capacity = 0);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    /// Never blocks, never drops: work that must run.
    void async(std::function<void()> work);
    /// Never blocks. Fails, dropping `work`, while the queue holds `capacity` items.
    tarvix::Status offer(std::function<void()> work);
    /// Waits until every item queued so far has run; fails on time-out.
    tarvix::Status waitUntilIdle(std::chrono::milliseconds timeout = std::chrono::hours(24));

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}  // namespace tarvix::platform
