#pragma once

#include <filesystem>

#include "core/upload/UploadAPI.h"

namespace tarvix::UploadAPI {

inline constexpr const char* kUploadErrorDomain = "com.tarvix.upload";
inline constexpr const char* kURLErrorDomain = "NSURLErrorDomain";

inline constexpr long kURLErrorUnknown = -1;
inline constexpr long kURLErrorCancelled = -999;
inline constexpr long kURLErrorTimedOut = -1001;
inline constexpr long kURLErrorCannotFindHost = -1003;
inline constexpr long kURLErrorCannotConnectToHost = -1004;
inline constexpr long kURLErrorNetworkConnectionLost = -1005;
inline constexpr long kURLErrorNotConnectedToInternet = -1009;
inline constexpr long kURLErrorServerCertificateUntrusted = -1202;

/// "com.tarvix.upload" code 0 ("Unknown error occurred.") or 1 ("Internal Server Error.").
Error uploadError(long code);
/// An NSURLErrorDomain error with its usual English description.
Error urlError(long code);
/// Maps a finished libcurl transfer's failure (and the system error behind it) to a URL error.
Error transportError(int curlCode, long osErrno);
/// The error of an archive that cannot be read, as reading a file reports it (NSCocoaErrorDomain).
Error fileReadError(const std::filesystem::path& file, int errnum);

}  // namespace tarvix::UploadAPI
