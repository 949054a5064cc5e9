#include "platform/PlistFile.h"

#include "platform/Files.h"

namespace tarvix::platform {

std::optional<tarvix::PlistDocument> readPlistFile(const std::filesystem::path& file)
{
    const auto bytes = readRegularFile(file, kPlistFileLimit);
    if (!bytes) return std::nullopt;
    return tarvix::parsePlist(*bytes);
}

}  // namespace tarvix::platform
