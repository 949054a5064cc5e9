#include "core/collect/SerialQueue.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace ProcessExecution::detail {

struct SerialQueue::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> items;
    bool closed = false;

    void serve()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return closed || !items.empty(); });
            if (items.empty()) return;
            auto work = std::move(items.front());
            items.pop_front();
            lock.unlock();
            work();
            work = nullptr;  // captured values go before the next item runs
            lock.lock();
        }
    }
};

SerialQueue::SerialQueue(const std::string& label) : m_state(std::make_shared<State>())
{
    std::thread worker([state = m_state, label] {
        pthread_setname_np(pthread_self(), label.substr(0, 15).c_str());
        state->serve();
    });
    worker.detach();
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closed = true;
    }
    m_state->wake.notify_all();
}

void SerialQueue::async(std::function<void()> work)
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->items.push_back(std::move(work));
    }
    m_state->wake.notify_one();
}

}  // namespace ProcessExecution::detail
