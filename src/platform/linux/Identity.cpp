#include "platform/Identity.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <vector>

namespace tarvix::platform {
namespace {

std::string shortName(const std::string& name) { return name.substr(0, name.find('.')); }

/// A dotted alias of `host` on an /etc/hosts line that names it; what the resolver's files source
/// answers for the fully qualified name, without asking a name server.
std::string fullNameFromHosts(const std::string& host)
{
    std::ifstream hosts("/etc/hosts");
    for (std::string line; std::getline(hosts, line);) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string address, name;
        std::vector<std::string> names;
        words >> address;
        while (words >> name) names.push_back(name);
        bool namesHost = false;
        for (const auto& n : names) namesHost = namesHost || shortName(n) == host;
        if (!namesHost) continue;
        for (const auto& n : names)
            if (n.find('.') != std::string::npos && shortName(n) == host) return n;
    }
    return {};
}

}  // namespace

Identity identityFromSystem()
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
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        const std::string name = host;
        identity.hostName = shortName(name);
        identity.fullHostName = name.find('.') != std::string::npos ? name : fullNameFromHosts(identity.hostName);
    }
    return identity;
}

}  // namespace tarvix::platform
