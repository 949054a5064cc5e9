#include "platform/Clock.h"

namespace tarvix::platform {

std::string formatTime(std::time_t when, const char* format, TimeZone zone)
{
    std::tm parts{};
    if (zone == TimeZone::utc)
        gmtime_r(&when, &parts);
    else
        localtime_r(&when, &parts);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, length);
}

}  // namespace tarvix::platform
