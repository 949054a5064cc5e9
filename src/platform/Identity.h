#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarvix::platform {

/// Who and where the user is, as the account database, the environment, the host name and the
/// network interfaces tell: the values hiding replaces before a share. Tests build one over
/// sandbox values.
struct Identity {
    std::string loginName;
    std::string realName;  ///< the account's full name (first field of its comment), "" when none
    std::filesystem::path home;
    std::string hostName;      ///< short
    std::string fullHostName;  ///< fully qualified when known, else "" (never looked up over the network)
    std::filesystem::path homeFromEnvironment{};   ///< $HOME, which the collection uses; "" when unset
    std::vector<std::string> hostAliases{};        ///< other names /etc/hosts gives this host
    std::vector<std::string> hardwareAddresses{};  ///< MAC addresses of the interfaces, lower case
    std::vector<std::string> ipAddresses{};        ///< the interfaces' own addresses, loopback left out
};

/// Where identityFromSystem reads the facts that are files or variables.
struct IdentitySources {
    std::filesystem::path hosts = "/etc/hosts";
    std::filesystem::path networkInterfaces = "/sys/class/net";
    const char* homeVariable = "HOME";
};

/// The effective user's identity. The fully qualified name comes from the host name itself or
/// from the hosts file, never from a name server.
Identity identityFromSystem(const IdentitySources& sources = {});

}  // namespace tarvix::platform
