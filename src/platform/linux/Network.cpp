#include "platform/Network.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace tarvix::platform {
namespace {

std::string firstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool allZeros(const std::string& address)
{
    return std::all_of(address.begin(), address.end(), [](char c) { return c == '0' || c == ':'; });
}

}  // namespace

tarvix::Result<std::vector<std::string>> hardwareAddresses(const Folders& folders)
{
    std::error_code ec;
    fs::directory_iterator it(folders.networkInterfaces, ec);
    if (ec) return tarvix::Failure{tarvix::errorText(ec), ec.value()};

    struct Interface {
        long index;
        std::string address;
    };
    std::vector<Interface> interfaces;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return tarvix::Failure{tarvix::errorText(ec), ec.value()};
        const fs::path dir = it->path();
        const std::string indexText = firstLine(dir / "ifindex");
        long index = 0;
        try {
            index = std::stol(indexText);
        } catch (...) {
            continue;  // vanished or not an interface
        }
        std::string address = firstLine(dir / "address");
        std::transform(address.begin(), address.end(), address.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        interfaces.push_back({index, address});
    }
    std::sort(interfaces.begin(), interfaces.end(), [](const auto& a, const auto& b) { return a.index < b.index; });

    std::vector<std::string> addresses;
    for (const auto& i : interfaces)
        if (!i.address.empty() && !allZeros(i.address)) addresses.push_back(i.address);
    return addresses;
}

}  // namespace tarvix::platform
