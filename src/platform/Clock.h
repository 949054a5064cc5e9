#pragma once

#include <ctime>
#include <string>

namespace tarvix::platform {

enum class TimeZone { utc, local };

/// `when` written through strftime's `format`, in UTC or in the user's time zone.
std::string formatTime(std::time_t when, const char* format, TimeZone zone);

}  // namespace tarvix::platform
