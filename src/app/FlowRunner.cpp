#include "FlowRunner.h"

namespace tarvix::app {

bool FlowRunner::tryRun(std::function<void()> flow)
{
    if (m_busy->exchange(true)) return false;
    m_queue.async([busy = m_busy, flow = std::move(flow)]() mutable {
        flow();
        flow = nullptr;  // release what the flow captured before reporting idle
        *busy = false;
    });
    return true;
}

}  // namespace tarvix::app
