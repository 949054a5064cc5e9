#pragma once

#include "core/upload/UploadAPI.h"

namespace tarvix::pending {

/// Whether a failed upload may pass when tried again later: the network or the server was not
/// there for a while (no route, no name, refused or reset, a time-out, a handshake cut off, an
/// HTTP 408, 429, 500, 502, 503, 504 or 507). A refusal of the report itself, an untrusted
/// certificate, a cancel or an unreadable archive will not pass by waiting.
bool mayPassLater(const UploadAPI::Error& error);

}  // namespace tarvix::pending
