#pragma once

#include <atomic>
#include <functional>

#include "platform/SerialQueue.h"

namespace tarvix::app {

/// The worker thread the window's flows run on, one flow at a time. A flow offered while
/// another runs is refused, so two dispatches never run over the same shared values.
class FlowRunner {
public:
    /// Waits for a running flow to end: it writes this window's state.
    ~FlowRunner();

    /// Starts `flow` on the worker; false (and nothing runs) while another flow runs.
    bool tryRun(std::function<void()> flow);
    bool busy() const { return m_busy; }

private:
    std::atomic<bool> m_busy{false};
    platform::SerialQueue m_queue{"SessionFlows"};
};

}  // namespace tarvix::app
