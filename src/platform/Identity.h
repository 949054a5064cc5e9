#pragma once

#include <filesystem>
#include <string>

namespace tarvix::platform {

/// Who and where the user is, as the account database and the host name tell: the values hiding
/// replaces before a share. Tests build one over sandbox values.
struct Identity {
    std::string loginName;
    std::string realName;  ///< the account's full name (first field of its comment), "" when none
    std::filesystem::path home;
    std::string hostName;      ///< short
    std::string fullHostName;  ///< fully qualified when known, else "" (never looked up over the network)
};

/// The effective user's identity. The fully qualified name comes from the host name itself or
/// from /etc/hosts, never from a name server.
Identity identityFromSystem();

}  // namespace tarvix::platform
