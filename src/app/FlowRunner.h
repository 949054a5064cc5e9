#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/SerialQueue.h"

namespace tarvix::app {

/// The worker thread the window's flows run on, one flow at a time. A flow offered while
/// another runs is refused, so two dispatches never run over the same shared values. Destroying
/// the runner never waits: a running flow finishes in the background (it holds what it uses).
class FlowRunner {
public:
    /// Starts `flow` on the worker; false (and nothing runs) while another flow runs.
    bool tryRun(std::function<void()> flow);
    bool busy() const { return *m_busy; }

private:
    std::shared_ptr<std::atomic<bool>> m_busy = std::make_shared<std::atomic<bool>>(false);
    platform::SerialQueue m_queue{"SessionFlows"};
};

}  // namespace tarvix::app
