#include "core/upload/UrlErrors.h"

#include <curl/curl.h>

#include <cerrno>

#include "config/BuildConfig.h"

namespace tarvix::UploadAPI {
namespace {

Error makeError(std::string domain, long code, std::string description)
{
    Error error{std::move(domain), code, std::move(description), std::nullopt};
    error.userInfoLocalizedDescription = error.localizedDescription;
    return error;
}

Error urlErrorOf(int curlCode, long osErrno)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_ABORTED_BY_CALLBACK: return urlError(kURLErrorCancelled);
    case CURLE_OPERATION_TIMEDOUT: return urlError(kURLErrorTimedOut);
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return urlError(kURLErrorCannotFindHost);
    case CURLE_COULDNT_CONNECT:
        // No route at all means no network; a refusal means the host is there but not serving.
        if (osErrno == ENETUNREACH || osErrno == ENETDOWN || osErrno == EHOSTUNREACH)
            return urlError(kURLErrorNotConnectedToInternet);
        if (osErrno == ETIMEDOUT) return urlError(kURLErrorTimedOut);
        return urlError(kURLErrorCannotConnectToHost);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return urlError(kURLErrorNetworkConnectionLost);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH: return urlError(kURLErrorServerCertificateUntrusted);
    default: return urlError(kURLErrorUnknown);
    }
}

}  // namespace

Error uploadError(long code)
{
    return makeError(kUploadErrorDomain, code, code == 1 ? "Internal Server Error." : "Unknown error occurred.");
}

Error urlError(long code)
{
    switch (code) {
    case kURLErrorCancelled: return makeError(kURLErrorDomain, code, "The upload was cancelled.");
    case kURLErrorTimedOut: return makeError(kURLErrorDomain, code, "The request timed out.");
    case kURLErrorCannotFindHost:
        return makeError(kURLErrorDomain, code, "A server with the specified hostname could not be found.");
    case kURLErrorCannotConnectToHost: return makeError(kURLErrorDomain, code, "Could not connect to the server.");
    case kURLErrorNetworkConnectionLost: return makeError(kURLErrorDomain, code, "The network connection was lost.");
    case kURLErrorNotConnectedToInternet:
        return makeError(kURLErrorDomain, code, "The Internet connection appears to be offline.");
    case kURLErrorServerCertificateUntrusted:
        return makeError(kURLErrorDomain, code,
                         std::string("The certificate for this server is invalid. You might be connecting to a "
                                     "server that is pretending to be “") +
                             BuildConfig::kLogServerHost + "” which could put your confidential information at risk.");
    default: return makeError(kURLErrorDomain, kURLErrorUnknown, "An unknown error occurred.");
    }
}

Error transportError(int curlCode, long osErrno)
{
    Error error = urlErrorOf(curlCode, osErrno);
    error.transportCode = curlCode;
    return error;
}

Error fileReadError(const std::filesystem::path& file, int errnum)
{
    const std::string name = "“" + file.filename().string() + "”";
    switch (errnum) {
    case ENOENT:
    case ENOTDIR:
        return makeError("NSCocoaErrorDomain", 260,
                         "The file " + name + " couldn’t be opened because there is no such file.");
    case EACCES:
    case EPERM:
        return makeError("NSCocoaErrorDomain", 257,
                         "The file " + name + " couldn’t be opened because you don’t have permission to view it.");
    default: return makeError("NSCocoaErrorDomain", 256, "The file " + name + " couldn’t be opened.");
    }
}

}  // namespace tarvix::UploadAPI
