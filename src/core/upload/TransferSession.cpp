#include "core/upload/TransferSession.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "config/BuildConfig.h"
#include "core/log/Logger.h"
#include "core/upload/MultipartBody.h"
#include "core/upload/ResponseHandler.h"
#include "core/upload/UrlErrors.h"

namespace UploadAPI {
namespace {

constexpr long kTimeoutSeconds = 60;  // the platform's default request time-out, as an idle limit
constexpr std::size_t kResponseLimit = 16 * 1024 * 1024;
constexpr long kUploadBufferSize = 512 * 1024;

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool startsWithNoCase(const char* text, std::size_t length, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    return length >= n && strncasecmp(text, prefix, n) == 0;
}

}  // namespace

/// One upload: its easy handle, body, response and completion. Everything except cancel() runs
/// on the session thread.
class Transfer final : public UploadTask {
public:
    Transfer(TransferSession& session, std::string url, const std::filesystem::path& file, const std::string& boundary,
             CompletionHandler completion)
        : m_session(session), m_url(std::move(url)), m_contentType("multipart/form-data; boundary=" + boundary),
          m_file(file), m_body(MultipartBody::open(file, boundary, m_openFailure)), m_completion(std::move(completion))
    {
        if (!m_body) m_openError = m_openFailure;
    }

    void cancel() override
    {
        m_cancelled = true;
        m_session.wake();
    }

    bool cancelled() const { return m_cancelled; }

    /// Adds the transfer to `multi`; false when it completed at once (unreadable file, cancel, setup failure).
    bool begin(CURLM* multi)
    {
        std::optional<Error> early;
        if (m_openError) {
            early = m_openError;
        } else if (m_cancelled) {
            early = urlError(kURLErrorCancelled);
        } else {
            m_easy.reset(curl_easy_init());
            if (!multi || !m_easy || !configure() || curl_multi_add_handle(multi, m_easy.get()) != CURLM_OK) {
                Logger::logError("Could not start the upload transfer.");
                early = urlError(kURLErrorUnknown);
            }
        }
        if (!early) return true;
        complete(handleResponse({std::nullopt, std::nullopt, std::move(early)}));
        return false;
    }

    void abandon(CURLM* multi)
    {
        if (m_easy) curl_multi_remove_handle(multi, m_easy.get());
        m_easy.reset();
    }

    void cancelNow(CURLM* multi)
    {
        abandon(multi);
        complete(handleResponse({std::nullopt, std::nullopt, urlError(kURLErrorCancelled)}));
    }

    void finish(CURLM* multi, CURLcode code)
    {
        TransferOutcome outcome;
        if (code == CURLE_OK) {
            long status = 0;
            curl_easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &status);
            outcome.statusCode = status;
            // An answer "has a body" when its framing announces one (a length, even 0, or chunks)
            // or bytes arrived; a bare close-delimited answer with no bytes has none.
            if (m_responseHasLength || m_responseChunked || !m_response.empty()) outcome.body = std::move(m_response);
        } else if (m_cancelled) {
            outcome.error = urlError(kURLErrorCancelled);
        } else if (m_readFailed) {
            outcome.error = fileReadError(m_file, EIO);
        } else {
            long osErrno = 0;
            curl_easy_getinfo(m_easy.get(), CURLINFO_OS_ERRNO, &osErrno);
            outcome.error = transportError(code, osErrno);
            Logger::logError(std::string("Upload transfer failed: ") + curl_easy_strerror(code) +
                             (m_errorText[0] ? std::string(" (") + m_errorText + ")" : std::string()));
        }
        abandon(multi);
        complete(handleResponse(std::move(outcome)));
    }

private:
    bool configure()
    {
        CURL* easy = m_easy.get();
        // The body is sent at once, as a platform upload task sends it: no 100-continue round trip.
        curl_slist* headers = nullptr;
        for (const std::string& line : {"Content-Type: " + m_contentType, std::string("Expect:")}) {
            curl_slist* longer = curl_slist_append(headers, line.c_str());
            if (!longer) {
                curl_slist_free_all(headers);
                return false;
            }
            headers = longer;
        }
        m_headers.reset(headers);

        bool ok = true;
        auto set = [&ok](CURLcode code) { ok = ok && code == CURLE_OK; };
        set(curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str()));
        set(curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https"));
        set(curl_easy_setopt(easy, CURLOPT_PRIVATE, this));
        set(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
        // A cancel during a slow name lookup must not wait for the resolver thread to finish.
        set(curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L));
        set(curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_errorText));
        set(curl_easy_setopt(easy, CURLOPT_POST, 1L));
        set(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_body->size())));
        set(curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Transfer::readBody));
        set(curl_easy_setopt(easy, CURLOPT_READDATA, this));
        set(curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &Transfer::seekBody));
        set(curl_easy_setopt(easy, CURLOPT_SEEKDATA, this));
        set(curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize));
        set(curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_headers.get()));
        set(curl_easy_setopt(easy, CURLOPT_USERAGENT, (std::string("Tarvix/") + BuildConfig::kVersion).c_str()));
        set(curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::receiveHeader));
        set(curl_easy_setopt(easy, CURLOPT_HEADERDATA, this));
        set(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::receiveBody));
        set(curl_easy_setopt(easy, CURLOPT_WRITEDATA, this));
        set(curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L));
        set(curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::progress));
        set(curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this));
        // Certificates are always verified; a build with a pinned CA trusts that CA alone.
        set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L));
        set(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L));
        if (BuildConfig::kLogServerCaFile[0] != '\0') {
            set(curl_easy_setopt(easy, CURLOPT_CAINFO, BuildConfig::kLogServerCaFile));
            set(curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr));
        }
        set(curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds));
        set(curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L));
        set(curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds));
        return ok;
    }

    void complete(Result result)
    {
        m_easy.reset();
        m_body.reset();  // closes the archive
        CompletionHandler completion = std::exchange(m_completion, nullptr);
        if (!completion) return;
        try {
            completion(std::move(result));
        } catch (...) {
            Logger::logError("The upload completion handler failed.");
        }
    }

    static std::size_t readBody(char* buffer, std::size_t size, std::size_t count, void* data)
    {
        auto* self = static_cast<Transfer*>(data);
        const auto n = self->m_body->read(buffer, size * count);
        if (!n) {
            self->m_readFailed = true;
            return CURL_READFUNC_ABORT;
        }
        return *n;
    }

    static int seekBody(void* data, curl_off_t offset, int origin)
    {
        auto* self = static_cast<Transfer*>(data);
        if (origin != SEEK_SET || offset < 0 || !self->m_body->seek(static_cast<std::uint64_t>(offset)))
            return CURL_SEEKFUNC_CANTSEEK;
        return CURL_SEEKFUNC_OK;
    }

    static std::size_t receiveHeader(char* text, std::size_t size, std::size_t count, void* data)
    {
        auto* self = static_cast<Transfer*>(data);
        const std::size_t length = size * count;
        if (startsWithNoCase(text, length, "HTTP/")) {
            // A new answer (after an interim one) starts with nothing known about its body.
            self->m_responseHasLength = false;
            self->m_responseChunked = false;
        } else if (startsWithNoCase(text, length, "content-length:")) {
            self->m_responseHasLength = true;
        } else if (startsWithNoCase(text, length, "transfer-encoding:")) {
            std::string value(text, length);
            std::transform(value.begin(), value.end(), value.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            self->m_responseChunked = value.find("chunked") != std::string::npos;
        }
        return length;
    }

    static std::size_t receiveBody(char* bytes, std::size_t size, std::size_t count, void* data)
    {
        auto* self = static_cast<Transfer*>(data);
        const std::size_t length = size * count;
        if (self->m_response.size() + length > kResponseLimit)
            return 0;  // a log server's answer is small; anything larger is not one
        self->m_response.insert(self->m_response.end(), bytes, bytes + length);
        return length;
    }

    static int progress(void* data, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploadNow)
    {
        auto* self = static_cast<Transfer*>(data);
        if (self->m_cancelled) return 1;
        if (uploadNow != self->m_lastSent) {
            self->m_delegate.didSendBodyData(uploadNow - self->m_lastSent, uploadNow, uploadTotal);
            self->m_lastSent = uploadNow;
        }
        return 0;
    }

    TransferSession& m_session;
    std::string m_url;
    std::string m_contentType;
    std::filesystem::path m_file;
    Error m_openFailure;
    std::optional<MultipartBody> m_body;
    std::optional<Error> m_openError;
    CompletionHandler m_completion;
    std::atomic<bool> m_cancelled{false};
    std::unique_ptr<CURL, EasyCleanup> m_easy;
    std::unique_ptr<curl_slist, SlistCleanup> m_headers;
    char m_errorText[CURL_ERROR_SIZE] = {};
    UploadTaskDelegate m_delegate;
    curl_off_t m_lastSent = 0;
    bool m_readFailed = false;
    bool m_responseHasLength = false;
    bool m_responseChunked = false;
    std::vector<std::uint8_t> m_response;
};

TransferSession& TransferSession::shared()
{
    static TransferSession session;
    return session;
}

TransferSession::TransferSession()
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_multi = curl_multi_init();
    m_thread = std::thread([this] { run(); });
}

TransferSession::~TransferSession()
{
    m_stopping = true;
    wake();
    if (m_thread.joinable()) m_thread.join();
    if (m_multi) curl_multi_cleanup(static_cast<CURLM*>(m_multi));
}

void TransferSession::wake()
{
    if (m_multi) {
        curl_multi_wakeup(static_cast<CURLM*>(m_multi));
    } else {
        std::lock_guard lock(m_mutex);
        m_woken = true;
        m_wakeCondition.notify_one();
    }
}

std::shared_ptr<UploadTask> TransferSession::start(std::string url, const std::filesystem::path& file,
                                                   const std::string& boundary, CompletionHandler completion)
{
    auto transfer = std::make_shared<Transfer>(*this, std::move(url), file, boundary, std::move(completion));
    {
        std::lock_guard lock(m_mutex);
        m_incoming.push_back(transfer);
    }
    wake();
    return transfer;
}

void TransferSession::run()
{
    auto* multi = static_cast<CURLM*>(m_multi);
    std::vector<std::shared_ptr<Transfer>> active;
    while (!m_stopping) {
        std::deque<std::shared_ptr<Transfer>> incoming;
        {
            std::lock_guard lock(m_mutex);
            incoming.swap(m_incoming);
        }
        for (auto& transfer : incoming)
            if (transfer->begin(multi)) active.push_back(std::move(transfer));

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
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            Transfer* done = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &done);
            const CURLcode code = message->data.result;
            const auto it =
                std::find_if(active.begin(), active.end(), [done](const auto& t) { return t.get() == done; });
            if (it == active.end()) continue;
            const std::shared_ptr<Transfer> transfer = *it;
            active.erase(it);
            transfer->finish(multi, code);
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    // Shutting down with the process: no completion can be delivered any more.
    for (auto& transfer : active) transfer->abandon(multi);
}

}  // namespace UploadAPI
