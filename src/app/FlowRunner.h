#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvix::app {

/// The worker thread the window's flows run on, one flow at a time. A flow offered while
/// another runs is refused, so two dispatches never run over the same shared values.
class FlowRunner {
public:
    FlowRunner();
    /// Waits for a running flow to end.
    ~FlowRunner();
    FlowRunner(const FlowRunner&) = delete;
    FlowRunner& operator=(const FlowRunner&) = delete;

    /// Starts `flow` on the worker; false (and nothing runs) while another flow runs.
    bool tryRun(std::function<void()> flow);
    bool busy() const;

private:
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_flow;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace tarvix::app
