#include <condition_variable>
#include <deque>
#include <iostream>
#include <thread>

#include "platform/UserInterface.h"

namespace platform {

struct HeadlessUserInterface::Impl {
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> queue;
    std::vector<Alert> alerts;
    bool running = false;  // a work item is executing
    bool stopping = false;
    std::thread worker;

    void run()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] { return stopping || !queue.empty(); });
            if (queue.empty()) return;
            auto work = std::move(queue.front());
            queue.pop_front();
            running = true;
            lock.unlock();
            work();
            lock.lock();
            running = false;
            idle.notify_all();
        }
    }
};

HeadlessUserInterface::HeadlessUserInterface() : m_impl(std::make_unique<Impl>())
{
    m_impl->worker = std::thread([impl = m_impl.get()] { impl->run(); });
}

HeadlessUserInterface::~HeadlessUserInterface()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopping = true;
    }
    m_impl->wake.notify_all();
    m_impl->worker.join();
}

void HeadlessUserInterface::displayAlert(const std::string& title, const std::string& message,
                                         const std::string& buttonTitle)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->alerts.push_back({title, message, buttonTitle});
    std::cerr << "Alert: " << title << ": " << message << '\n';
}

void HeadlessUserInterface::postToMainThread(std::function<void()> work)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->queue.push_back(std::move(work));
    }
    m_impl->wake.notify_one();
}

std::vector<HeadlessUserInterface::Alert> HeadlessUserInterface::alerts() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->alerts;
}

void HeadlessUserInterface::drain()
{
    std::unique_lock lock(m_impl->mutex);
    m_impl->idle.wait(lock, [&] { return m_impl->queue.empty() && !m_impl->running; });
}

}  // namespace platform
