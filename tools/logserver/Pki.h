#pragma once

#include <filesystem>
#include <string>

#include "base/Status.h"

namespace tarvix::logserver {

/// Files of one test PKI folder: a CA and a server certificate for 127.0.0.1 and localhost.
struct PkiFiles {
    std::filesystem::path caCertificate;      ///< DIR/ca.pem, the file clients trust
    std::filesystem::path serverCertificate;  ///< DIR/server.pem
    std::filesystem::path serverKey;          ///< DIR/server-key.pem
};

PkiFiles pkiFiles(const std::filesystem::path& folder);

/// Makes the CA and the server certificate in `folder` unless all files are there already.
/// Safe against a second process doing the same at the same time.
tarvix::Status ensurePki(const std::filesystem::path& folder);

}  // namespace tarvix::logserver
