#include "platform/PlistFile.h"

#include "platform/Files.h"

namespace tarvix::platform {

tarvix::Result<tarvix::PlistDocument> readPlistFile(const std::filesystem::path& file)
{
    const auto bytes = readRegularFile(file, kPlistSizeLimit);
    if (!bytes) return bytes.failure();
    return tarvix::parsePlist(*bytes);
}

}  // namespace tarvix::platform
