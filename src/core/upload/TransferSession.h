#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/upload/Curl.h"
#include "core/upload/Transfer.h"
#include "core/upload/UploadAPI.h"

namespace tarvix::UploadAPI {

/// The process-wide upload session: one thread driving a libcurl multi handle. Completions and
/// progress callbacks run on that thread, one at a time.
class TransferSession {
public:
    static TransferSession& shared();
    ~TransferSession();
    TransferSession(const TransferSession&) = delete;
    TransferSession& operator=(const TransferSession&) = delete;

    /// Starts sending `file` as the multipart body with `boundary` to `url`. When the file cannot
    /// be opened nothing is sent and the completion gets the read error.
    std::shared_ptr<UploadTask> start(std::string url, const std::filesystem::path& file, const std::string& boundary,
                                      tarvix::TextBinding progress, CompletionHandler completion);

    /// Wakes the session thread (new work, or a cancel).
    void wake();

private:
    struct MultiCleanup {
        void operator()(CURLM* multi) const { curl()->multi_cleanup(multi); }
    };
    using Multi = std::unique_ptr<CURLM, MultiCleanup>;

    TransferSession();
    static Multi makeMulti();
    void run();

    std::mutex m_mutex;
    std::deque<std::shared_ptr<Transfer>> m_incoming;  // guarded by m_mutex
    std::condition_variable m_wakeCondition;           // only without a multi handle
    bool m_woken = false;                              // guarded by m_mutex
    std::atomic<bool> m_stopping{false};
    // Cleaned up after the thread, which alone drives it, has ended and left it.
    const Multi m_multi;
    std::thread m_thread;
};

}  // namespace tarvix::UploadAPI
