#include "FlowRunner.h"

namespace tarvix::app {

FlowRunner::FlowRunner() : m_thread([this] { run(); }) {}

FlowRunner::~FlowRunner()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool FlowRunner::tryRun(std::function<void()> flow)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_busy || m_stopping) return false;
        m_busy = true;
        m_flow = std::move(flow);
    }
    m_wake.notify_all();
    return true;
}

bool FlowRunner::busy() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

void FlowRunner::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_flow; });
        if (!m_flow) return;
        auto flow = std::move(m_flow);
        m_flow = nullptr;
        lock.unlock();
        flow();
        flow = nullptr;  // release what the flow captured before reporting idle
        lock.lock();
        m_busy = false;
    }
}

}  // namespace tarvix::app
