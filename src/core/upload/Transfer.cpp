#include "core/upload/Transfer.h"

#include <cerrno>
#include <utility>

#include "config/BuildConfig.h"
#include "core/log/Logger.h"
#include "core/upload/UrlErrors.h"

namespace tarvix::UploadAPI {
namespace {

constexpr long kTimeoutSeconds = 60;  // a minute without progress is a time-out, also while connecting
constexpr long kUploadBufferSize = 512 * 1024;

std::optional<FileBodyStream> openBody(const std::filesystem::path& file, const std::string& boundary,
                                       std::optional<Error>& failure)
{
    auto body = FileBodyStream::open(file, MultipartFraming::make(boundary, file.filename().string()));
    if (!body) {
        failure = body.error();
        return std::nullopt;
    }
    return std::move(body).value();
}

}  // namespace

Transfer::Transfer(std::string url, const std::filesystem::path& file, const std::string& boundary,
                   tarvix::TextBinding progress, CompletionHandler completion, std::function<void()> wake)
    : m_url(std::move(url)), m_contentType(MultipartFraming::contentType(boundary)), m_file(file),
      m_body(openBody(file, boundary, m_openError)), m_completion(std::move(completion)),
      m_wake(std::move(wake)), m_delegate{std::move(progress)}
{
}

void Transfer::cancel()
{
    m_cancelled = true;
    m_wake();
}

tarvix::Status Transfer::begin(CURLM* multi)
{
    std::optional<Error> early;
    if (m_openError) {
        early = m_openError;
    } else if (m_cancelled) {
        early = urlError(kURLErrorCancelled);
    } else {
        if (multi) m_easy.reset(curl()->easy_init());
        if (!multi || !m_easy || !configure() || curl()->multi_add_handle(multi, m_easy.get()) != CURLM_OK) {
            Logger::logError("Could not start the upload transfer.");
            early = urlError(kURLErrorUnknown);
        }
    }
    if (!early) return {};
    tarvix::Failure failure{early->localizedDescription};
    complete(handleResponse({std::nullopt, std::nullopt, std::move(early)}));
    return failure;
}

void Transfer::abandon(CURLM* multi)
{
    if (m_easy) curl()->multi_remove_handle(multi, m_easy.get());
    m_easy.reset();
}

void Transfer::cancelNow(CURLM* multi)
{
    abandon(multi);
    complete(handleResponse({std::nullopt, std::nullopt, urlError(kURLErrorCancelled)}));
}

void Transfer::finish(CURLM* multi, CURLcode code)
{
    TransferOutcome outcome;
    if (code == CURLE_OK) {
        long status = 0;
        curl()->easy_getinfo(m_easy.get(), CURLINFO_RESPONSE_CODE, &status);
        outcome.statusCode = status;
        outcome.body = m_response.takeBody();
    } else if (m_cancelled) {
        outcome.error = urlError(kURLErrorCancelled);
    } else if (m_readFailed) {
        outcome.error = fileReadError(m_file, EIO);
    } else {
        long osErrno = 0;
        curl()->easy_getinfo(m_easy.get(), CURLINFO_OS_ERRNO, &osErrno);
        outcome.error = transportError(code, osErrno);
        Logger::logError(std::string("Upload transfer failed: ") + curl()->easy_strerror(code) +
                         (m_errorText[0] ? std::string(" (") + m_errorText + ")" : std::string()));
    }
    abandon(multi);
    complete(handleResponse(std::move(outcome)));
}

tarvix::Status Transfer::configure()
{
    CURL* easy = m_easy.get();
    // The body follows the headers at once: a server that never answers a 100-continue costs no wait.
    curl_slist* headers = nullptr;
    for (const std::string& line : {"Content-Type: " + m_contentType, std::string("Expect:")}) {
        curl_slist* longer = curl()->slist_append(headers, line.c_str());
        if (!longer) {
            curl()->slist_free_all(headers);
            return tarvix::Failure{"The request's headers could not be made.", ENOMEM};
        }
        headers = longer;
    }
    m_headers.reset(headers);

    bool ok = true;
    auto set = [&ok, easy, setopt = curl()->easy_setopt](CURLoption option, auto value) {
        ok = ok && setopt(easy, option, value) == CURLE_OK;
    };
    set(CURLOPT_URL, m_url.c_str());
    set(CURLOPT_PROTOCOLS_STR, "https");
    set(CURLOPT_PRIVATE, this);
    set(CURLOPT_NOSIGNAL, 1L);
    // A cancel during a slow name lookup must not wait for the resolver thread to finish.
    set(CURLOPT_QUICK_EXIT, 1L);
    set(CURLOPT_ERRORBUFFER, m_errorText);
    set(CURLOPT_POST, 1L);
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_body->size()));
    set(CURLOPT_READFUNCTION, &Transfer::readBody);
    set(CURLOPT_READDATA, this);
    set(CURLOPT_SEEKFUNCTION, &Transfer::seekBody);
    set(CURLOPT_SEEKDATA, this);
    set(CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferSize);
    set(CURLOPT_HTTPHEADER, m_headers.get());
    set(CURLOPT_USERAGENT, (std::string("Tarvix/") + BuildConfig::kVersion).c_str());
    set(CURLOPT_HEADERFUNCTION, &ResponseReader::header);
    set(CURLOPT_HEADERDATA, &m_response);
    set(CURLOPT_WRITEFUNCTION, &ResponseReader::body);
    set(CURLOPT_WRITEDATA, &m_response);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    set(CURLOPT_XFERINFODATA, this);
    // Certificates are always verified; a build with a pinned CA trusts that CA alone.
    set(CURLOPT_SSL_VERIFYPEER, 1L);
    set(CURLOPT_SSL_VERIFYHOST, 2L);
    if (BuildConfig::kLogServerCaFile[0] != '\0') {
        set(CURLOPT_CAINFO, BuildConfig::kLogServerCaFile);
        set(CURLOPT_CAPATH, nullptr);
    }
    set(CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
    if (!ok) return tarvix::Failure{"libcurl refused an option of the transfer."};
    return {};
}

void Transfer::complete(Result result)
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

std::size_t Transfer::readBody(char* buffer, std::size_t size, std::size_t count, void* data)
{
    auto* self = static_cast<Transfer*>(data);
    const auto n = self->m_body->read(buffer, size * count);
    if (!n) {
        self->m_readFailed = true;  // its error is the archive's, told when the transfer finishes
        return CURL_READFUNC_ABORT;
    }
    return *n;
}

int Transfer::seekBody(void* data, curl_off_t offset, int origin)
{
    auto* self = static_cast<Transfer*>(data);
    if (origin != SEEK_SET || offset < 0 || !self->m_body->seek(static_cast<std::uint64_t>(offset)))
        return CURL_SEEKFUNC_CANTSEEK;
    return CURL_SEEKFUNC_OK;
}

int Transfer::progress(void* data, curl_off_t, curl_off_t, curl_off_t uploadTotal, curl_off_t uploadNow)
{
    auto* self = static_cast<Transfer*>(data);
    if (self->m_cancelled) return 1;
    if (uploadNow != self->m_lastSent) {
        self->m_delegate.didSendBodyData(uploadNow - self->m_lastSent, uploadNow, uploadTotal);
        self->m_lastSent = uploadNow;
    }
    return 0;
}

}  // namespace tarvix::UploadAPI
