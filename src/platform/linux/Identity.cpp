#include "platform/Identity.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/Network.h"
#include "platform/Platform.h"

namespace tarvix::platform {
namespace {

std::string shortName(const std::string& name) { return name.substr(0, name.find('.')); }

/// Names every machine has for itself: hiding them would only garble logs.
bool isGenericName(const std::string& name)
{
    return name.starts_with("localhost") || name.starts_with("ip6-") || name.starts_with("ip6.");
}

/// The names of the hosts-file lines that name `host`: what the resolver's files source answers
/// for this machine, without asking a name server.
std::vector<std::string> namesFromHosts(const std::filesystem::path& file, const std::string& host)
{
    std::vector<std::string> found;
    std::ifstream hosts(file);
    for (std::string line; std::getline(hosts, line);) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string address, name;
        std::vector<std::string> names;
        words >> address;
        while (words >> name) names.push_back(name);
        if (std::none_of(names.begin(), names.end(), [&](const auto& n) { return shortName(n) == host; })) continue;
        for (const auto& n : names)
            if (!isGenericName(n) && std::find(found.begin(), found.end(), n) == found.end()) found.push_back(n);
    }
    return found;
}

std::vector<std::string> interfaceAddresses()
{
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (const ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || (i->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET6_ADDRSTRLEN] = {};
        const int family = i->ifa_addr->sa_family;
        const void* address = nullptr;
        if (family == AF_INET) address = &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        if (family == AF_INET6) address = &reinterpret_cast<const sockaddr_in6*>(i->ifa_addr)->sin6_addr;
        if (!address || !inet_ntop(family, address, text, sizeof text)) continue;
        if (std::find(out.begin(), out.end(), text) == out.end()) out.emplace_back(text);
    }
    freeifaddrs(list);
    return out;
}

}  // namespace

Identity identityFromSystem(const IdentitySources& sources)
{
    Identity identity;
    std::string buffer(16384, '\0');
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result) {
        identity.loginName = result->pw_name ? result->pw_name : "";
        identity.home = result->pw_dir ? result->pw_dir : "";
        const std::string gecos = result->pw_gecos ? result->pw_gecos : "";
        identity.realName = gecos.substr(0, gecos.find(','));
    }
    if (const char* home = std::getenv(sources.homeVariable); home && *home) identity.homeFromEnvironment = home;
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        const std::string name = host;
        identity.hostName = shortName(name);
        if (name.find('.') != std::string::npos) identity.fullHostName = name;
        const auto names = namesFromHosts(sources.hosts, identity.hostName);
        for (const auto& alias : names)
            if (identity.fullHostName.empty() && alias.find('.') != std::string::npos &&
                shortName(alias) == identity.hostName)
                identity.fullHostName = alias;
        for (const auto& alias : names)
            if (alias != identity.hostName && alias != identity.fullHostName) identity.hostAliases.push_back(alias);
    }
    Folders folders;
    folders.networkInterfaces = sources.networkInterfaces;
    identity.hardwareAddresses = hardwareAddresses(folders).value_or(std::vector<std::string>{});
    identity.ipAddresses = interfaceAddresses();
    return identity;
}

}  // namespace tarvix::platform
