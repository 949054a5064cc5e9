#include "core/upload/TransferSession.h"

#include <algorithm>
#include <vector>

namespace tarvix::UploadAPI {

TransferSession& TransferSession::shared()
{
    static TransferSession session;
    return session;
}

TransferSession::Multi TransferSession::makeMulti()
{
    // Without the library no transfer starts: each fails at once as an unknown error.
    return Multi(curl() ? curl()->multi_init() : nullptr);
}

TransferSession::TransferSession() : m_multi(makeMulti()), m_thread([this] { run(); }) {}

TransferSession::~TransferSession()
{
    m_stopping = true;
    wake();
    if (m_thread.joinable()) m_thread.join();
}

void TransferSession::wake()
{
    if (m_multi) {
        curl()->multi_wakeup(m_multi.get());
    } else {
        std::lock_guard lock(m_mutex);
        m_woken = true;
        m_wakeCondition.notify_one();
    }
}

std::shared_ptr<UploadTask> TransferSession::start(std::string url, const std::filesystem::path& file,
                                                   const std::string& boundary, tarvix::TextBinding progress,
                                                   CompletionHandler completion)
{
    auto transfer = std::make_shared<Transfer>(std::move(url), file, boundary, std::move(progress),
                                               std::move(completion), [this] { wake(); });
    {
        std::lock_guard lock(m_mutex);
        m_incoming.push_back(transfer);
    }
    wake();
    return transfer;
}

void TransferSession::run()
{
    CURLM* multi = m_multi.get();
    std::vector<std::shared_ptr<Transfer>> active;
    while (!m_stopping) {
        std::deque<std::shared_ptr<Transfer>> incoming;
        {
            std::lock_guard lock(m_mutex);
            incoming.swap(m_incoming);
        }
        for (auto& transfer : incoming)
            if (transfer->begin(multi).ok()) active.push_back(std::move(transfer));

        // Removing a cancelled transfer at once answers the cancel even when the server stalls.
        for (auto it = active.begin(); it != active.end();) {
            if ((*it)->cancelled()) {
                (*it)->cancelNow(multi);
                it = active.erase(it);
            } else {
                ++it;
            }
        }
        if (!multi) {
            // Without a multi handle every transfer failed in begin(); just wait for more.
            std::unique_lock lock(m_mutex);
            m_wakeCondition.wait(lock, [this] { return m_woken || m_stopping; });
            m_woken = false;
            continue;
        }

        int running = 0;
        curl()->multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl()->multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            Transfer* done = nullptr;
            curl()->easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &done);
            const CURLcode code = message->data.result;
            const auto it =
                std::find_if(active.begin(), active.end(), [done](const auto& t) { return t.get() == done; });
            if (it == active.end()) continue;
            const std::shared_ptr<Transfer> transfer = *it;
            active.erase(it);
            transfer->finish(multi, code);
        }
        curl()->multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    // Shutting down with the process: no completion can be delivered any more.
    for (auto& transfer : active) transfer->abandon(multi);
}

}  // namespace tarvix::UploadAPI
