#include "DebianPackages.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace tarvix::system_profiler {
namespace {

fs::path adminFolder()
{
    const char* folder = std::getenv("DPKG_ADMINDIR");
    return folder && *folder ? fs::path(folder) : fs::path("/var/lib/dpkg");
}

/// Package name (with ":arch" for a multi-arch package) per owned file. Reads the info/*.list
/// files directly: one pass over them costs a fraction of starting `dpkg -S`.
std::map<std::string, std::string> ownersFromLists(const fs::path& info, const std::set<std::string>& files)
{
    std::map<std::string, std::string> owners;
    std::error_code error;
    for (fs::directory_iterator it(info, error), end; !error && it != end; it.increment(error)) {
        if (it->path().extension() != ".list") continue;
        std::ifstream in(it->path(), std::ios::binary);
        const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t start = 0;
        while (start < content.size()) {
            size_t end = content.find('\n', start);
            if (end == std::string::npos) end = content.size();
            std::string line = content.substr(start, end - start);
            start = end + 1;
            if (files.count(line)) owners.emplace(line, it->path().stem().string());
        }
    }
    return owners;
}

/// "Version" of each installed package named in `wanted` ("name" or "name:arch"), from status.
std::map<std::string, std::string> installedVersions(const fs::path& status, const std::set<std::string>& wanted)
{
    std::map<std::string, std::string> versions;
    std::ifstream in(status);
    std::map<std::string, std::string> stanza;
    auto finish = [&] {
        if (stanza["Status"].ends_with(" installed")) {
            for (const auto& key : {stanza["Package"], stanza["Package"] + ":" + stanza["Architecture"]})
                if (wanted.count(key)) versions.emplace(key, stanza["Version"]);
        }
        stanza.clear();
    };
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            finish();
            continue;
        }
        if (line[0] == ' ' || line[0] == '\t') continue;  // continuation of a long field
        auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        auto value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        stanza[line.substr(0, colon)] = value;
    }
    finish();
    return versions;
}

}  // namespace

std::map<std::string, Package> owningPackages(const std::set<std::string>& files)
{
    const fs::path admin = adminFolder();
    auto owners = ownersFromLists(admin / "info", files);
    std::set<std::string> names;
    for (const auto& [file, name] : owners) names.insert(name);
    auto versions = installedVersions(admin / "status", names);

    std::map<std::string, Package> packages;
    for (const auto& [file, name] : owners) {
        auto version = versions.find(name);
        if (version == versions.end()) continue;  // a leftover list of a removed package
        packages.emplace(file, Package{name.substr(0, name.find(':')), version->second});
    }
    return packages;
}

}  // namespace tarvix::system_profiler
