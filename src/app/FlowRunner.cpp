#include "FlowRunner.h"

namespace tarvix::app {

FlowRunner::~FlowRunner() { m_queue.waitUntilIdle(); }

bool FlowRunner::tryRun(std::function<void()> flow)
{
    if (m_busy.exchange(true)) return false;
    m_queue.async([this, flow = std::move(flow)]() mutable {
        flow();
        flow = nullptr;  // release what the flow captured before reporting idle
        m_busy = false;
    });
    return true;
}

}  // namespace tarvix::app
