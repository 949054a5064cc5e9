#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tarvix::platform {

/// A serial queue served by one named thread: work items run one after another, in submission
/// order. Destroying the handle accepts no more work; what is queued still runs and the thread
/// then ends by itself. It is never joined, so neither the owner nor the process's exit waits for
/// an item that waits on the user (a password prompt).
class SerialQueue {
public:
    /// `capacity` 0: unbounded; otherwise async() drops work while that many items wait.
    explicit SerialQueue(const std::string& label, std::size_t capacity = 0);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    /// Never blocks. False when the queue is full and `work` was dropped.
    bool async(std::function<void()> work);
    /// Waits until every item queued so far has run; false on time-out.
    bool waitUntilIdle(std::chrono::milliseconds timeout = std::chrono::hours(24));

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}  // namespace tarvix::platform
