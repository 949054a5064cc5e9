#include "core/pending/Offer.h"

#include <curl/curl.h>

#include "core/upload/UrlErrors.h"

namespace tarvix::pending {

bool mayPassLater(const UploadAPI::Error& error)
{
    if (error.statusCode) {
        switch (*error.statusCode) {
        case 408:
        case 429:
        case 500:
        case 502:
        case 503:
        case 504:
        case 507: return true;
        default: return false;
        }
    }
    if (error.domain != UploadAPI::kURLErrorDomain) return false;
    switch (error.code) {
    case UploadAPI::kURLErrorNotConnectedToInternet:
    case UploadAPI::kURLErrorCannotFindHost:
    case UploadAPI::kURLErrorCannotConnectToHost:
    case UploadAPI::kURLErrorNetworkConnectionLost:
    case UploadAPI::kURLErrorTimedOut: return true;
    // A handshake cut off (a portal, a flaky link) is told apart from a certificate refusal,
    // which has its own code.
    case UploadAPI::kURLErrorUnknown:
        return error.transportCode == CURLE_SSL_CONNECT_ERROR || error.transportCode == CURLE_PROXY;
    default: return false;
    }
}

}  // namespace tarvix::pending
