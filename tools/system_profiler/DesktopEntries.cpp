#include "DesktopEntries.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace tarvix::system_profiler {
namespace {

std::string trimmed(const std::string& text)
{
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

/// \s \n \t \r \\ as the desktop entry format defines them; other sequences stay as written
/// (the Exec key's own quoting is not decoded here).
std::string unescaped(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': text += ' '; break;
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case '\\': text += '\\'; break;
        default:
            text += '\\';
            text += value[i];
            break;
        }
    }
    return text;
}

/// "kde/org.example.App.desktop" below a folder has the id "kde-org.example.App.desktop".
std::string desktopFileId(const fs::path& relative)
{
    std::string id = relative.generic_string();
    for (char& c : id)
        if (c == '/') c = '-';
    return id;
}

}  // namespace

// A hand-written reader: the format is a few lines of "Key=Value" per group, and the key-file
// parsers that exist come with a whole toolkit.
std::optional<std::map<std::string, std::string>> readDesktopEntry(const fs::path& file)
{
    std::ifstream in(file);
    if (!in) return std::nullopt;
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    bool seenGroup = false;
    for (std::string line; std::getline(in, line);) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
            seenGroup = seenGroup || inGroup;
            continue;
        }
        auto equals = line.find('=');
        if (!inGroup || equals == std::string::npos) continue;
        auto key = trimmed(line.substr(0, equals));
        if (key.find('[') != std::string::npos) continue;  // Name[de] and the like
        keys.emplace(key, unescaped(trimmed(line.substr(equals + 1))));
    }
    if (!seenGroup) return std::nullopt;
    return keys;
}

std::vector<Application> findDesktopEntries(const std::vector<fs::path>& folders)
{
    std::vector<Application> applications;
    std::set<std::string> seenIds;
    for (const fs::path& folder : folders) {
        std::vector<fs::path> files;
        std::error_code error;
        const auto options = fs::directory_options::skip_permission_denied;
        for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code typeError;
            if (it->path().extension() == ".desktop" && it->is_regular_file(typeError)) files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            auto id = desktopFileId(file.lexically_relative(folder));
            if (!seenIds.insert(id).second) continue;
            auto keys = readDesktopEntry(file);
            if (!keys || (*keys)["Type"] != "Application" || (*keys)["Hidden"] == "true") continue;
            Application application;
            application.kind = Application::Kind::DesktopEntry;
            application.name = (*keys)["Name"].empty() ? file.stem().string() : (*keys)["Name"];
            application.location = file.lexically_normal();
            if (!(*keys)["Exec"].empty()) application.command = (*keys)["Exec"];
            application.lastModified = modificationTime(file);
            applications.push_back(std::move(application));
        }
    }
    return applications;
}

}  // namespace tarvix::system_profiler
