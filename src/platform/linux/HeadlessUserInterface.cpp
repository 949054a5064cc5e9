#include "platform/HeadlessUserInterface.h"

#include <iostream>
#include <mutex>

#include "platform/SerialQueue.h"

namespace tarvix::platform {

struct HeadlessUserInterface::Impl {
    mutable std::mutex mutex;
    std::vector<Alert> alerts;
    SerialQueue mainThread{"HeadlessMain"};
};

HeadlessUserInterface::HeadlessUserInterface() : m_impl(std::make_unique<Impl>()) {}

HeadlessUserInterface::~HeadlessUserInterface() = default;

void HeadlessUserInterface::displayAlert(const std::string& title, const std::string& message,
                                         const std::string& buttonTitle)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->alerts.push_back({title, message, buttonTitle});
    std::cerr << "Alert: " << title << ": " << message << '\n';
}

void HeadlessUserInterface::postToMainThread(std::function<void()> work) { m_impl->mainThread.async(std::move(work)); }

std::vector<HeadlessUserInterface::Alert> HeadlessUserInterface::alerts() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->alerts;
}

void HeadlessUserInterface::drain() { m_impl->mainThread.waitUntilIdle().absorb(); }  // a day: never in practice

}  // namespace tarvix::platform
