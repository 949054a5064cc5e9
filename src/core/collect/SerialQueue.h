#pragma once

#include <functional>
#include <memory>
#include <string>

namespace ProcessExecution::detail {

/// A serial queue served by one named thread: work items run one after another, in submission
/// order. The thread ends once the handle is gone and every item has run; it is detached, so
/// neither the caller nor the process's exit waits for a capture that waits for a password.
class SerialQueue {
public:
    explicit SerialQueue(const std::string& label);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(std::function<void()> work);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}  // namespace ProcessExecution::detail
