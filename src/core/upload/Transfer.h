#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/upload/Curl.h"
#include "core/upload/FileBodyStream.h"
#include "core/upload/ResponseHandler.h"
#include "core/upload/ResponseReader.h"
#include "core/upload/UploadAPI.h"

namespace tarvix::UploadAPI {

/// One upload on one libcurl easy handle: its options, its body and answer callbacks, and the
/// mapping of how it ended to the result. Everything except cancel() runs on the session thread.
class Transfer final : public UploadTask {
public:
    /// `wake` tells the session thread that a cancel is waiting; `progress` is the status text
    /// of the window that started the upload.
    Transfer(std::string url, const std::filesystem::path& file, const std::string& boundary,
             tarvix::TextBinding progress, CompletionHandler completion, std::function<void()> wake);

    void cancel() override;
    bool cancelled() const { return m_cancelled; }

    /// Adds the transfer to `multi`; fails when it completed at once (unreadable file, cancel,
    /// setup failure).
    tarvix::Status begin(CURLM* multi);
    /// Leaves `multi` without a completion (the session is ending).
    void abandon(CURLM* multi);
    /// Leaves `multi` and completes as cancelled, whatever the server is doing.
    void cancelNow(CURLM* multi);
    /// Completes with what libcurl reported for the finished transfer.
    void finish(CURLM* multi, CURLcode code);

private:
    struct EasyCleanup {
        void operator()(CURL* easy) const { curl()->easy_cleanup(easy); }
    };
    struct SlistCleanup {
        void operator()(curl_slist* list) const { curl()->slist_free_all(list); }
    };

    tarvix::Status configure();
    void complete(Result result);

    static std::size_t readBody(char* buffer, std::size_t size, std::size_t count, void* data);
    static int seekBody(void* data, curl_off_t offset, int origin);
    static int progress(void* data, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploadNow);

    std::string m_url;
    std::string m_contentType;
    std::filesystem::path m_file;
    std::optional<Error> m_openError;  // set before m_body is opened
    std::optional<FileBodyStream> m_body;
    CompletionHandler m_completion;
    std::function<void()> m_wake;
    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<CURL, EasyCleanup> m_easy;
    std::unique_ptr<curl_slist, SlistCleanup> m_headers;
    char m_errorText[CURL_ERROR_SIZE] = {};
    UploadTaskDelegate m_delegate;
    curl_off_t m_lastSent = 0;
    bool m_readFailed = false;
    ResponseReader m_response;
};

}  // namespace tarvix::UploadAPI
