#include "platform/SerialQueue.h"

#include <pthread.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tarvix::platform {

struct SerialQueue::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> items;
    std::size_t capacity = 0;
    bool running = false;
    bool closed = false;

    void serve()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return closed || !items.empty(); });
            if (items.empty()) return;
            auto work = std::move(items.front());
            items.pop_front();
            running = true;
            lock.unlock();
            work();
            work = nullptr;  // captured values go before the next item runs
            lock.lock();
            running = false;
            idle.notify_all();
        }
    }
};

SerialQueue::SerialQueue(const std::string& label, std::size_t capacity) : m_state(std::make_shared<State>())
{
    m_state->capacity = capacity;
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

tarvix::Status SerialQueue::offer(std::function<void()> work)
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->capacity != 0 && m_state->items.size() >= m_state->capacity)
            return tarvix::Failure{"The queue is full.", EAGAIN};
        m_state->items.push_back(std::move(work));
    }
    m_state->wake.notify_one();
    return {};
}

tarvix::Status SerialQueue::waitUntilIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_state->mutex);
    if (m_state->idle.wait_for(lock, timeout, [&] { return m_state->items.empty() && !m_state->running; })) return {};
    return tarvix::Failure{"The queue is still busy.", ETIMEDOUT};
}

}  // namespace tarvix::platform
