#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "base/Status.h"

namespace tarvix::logserver {

/// How the server answers each upload.
enum class Answer {
    Normal,     ///< the status with the body text
    EmptyBody,  ///< the status with Content-Length: 0
    NoBody,     ///< the status, no length, no body bytes, then the connection closes
    Stall,      ///< stop reading after N body bytes and never answer
    Drop,       ///< close the connection after N body bytes without answering
};

struct Options {
    std::string host = "127.0.0.1";
    int port = 0;
    std::filesystem::path pkiFolder;
    std::optional<std::filesystem::path> storeFolder;
    std::uint64_t storeLimit = std::uint64_t{2} << 30;  ///< bytes the store may hold
    std::optional<std::filesystem::path> readyFile;
    int status = 200;
    std::string body = "{\"result\":\"received\"}";
    Answer answer = Answer::Normal;
    std::uint64_t afterBytes = 0;  ///< for Stall and Drop
    int stallSeconds = 300;
    bool makePkiOnly = false;
    bool helpAsked = false;  ///< --help: the usage, nothing else
};

extern const char* const kUsage;

/// Parses the command line; the failure says why.
tarvix::Result<Options> parseOptions(int argc, char** argv);

}  // namespace tarvix::logserver
