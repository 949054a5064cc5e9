#include "platform/ProcFiles.h"

#include <algorithm>
#include <charconv>

#include "platform/Files.h"

namespace tarvix::platform {

namespace {

/// Far above any status or memory map /proc writes.
constexpr std::size_t kProcFileLimit = 64u << 20;

}  // namespace

std::optional<pid_t> parsePid(std::string_view text)
{
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    if (error != std::errc() || end != text.data() + text.size() || pid <= 0) return std::nullopt;
    return pid;
}

std::optional<std::string> readProcFile(const std::filesystem::path& file)
{
    auto text = readRegularFile(file, kProcFileLimit);
    if (!text) return std::nullopt;
    return std::move(text).value();
}

std::optional<std::string> statusValue(std::string_view status, std::string_view key)
{
    while (!status.empty()) {
        const std::string_view line = status.substr(0, status.find('\n'));
        status.remove_prefix(std::min(status.size(), line.size() + 1));
        if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ':') continue;
        std::string_view value = line.substr(key.size() + 1);
        value.remove_prefix(std::min(value.size(), value.find_first_not_of(" \t")));
        return std::string(value);
    }
    return std::nullopt;
}

}  // namespace tarvix::platform
