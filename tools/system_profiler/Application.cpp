#include "Application.h"

#include <chrono>
#include <system_error>

namespace tarvix::system_profiler {

std::optional<time_t> modificationTime(const std::filesystem::path& path)
{
    std::error_code error;
    auto written = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    auto system = std::filesystem::file_time_type::clock::to_sys(written);
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
}

}  // namespace tarvix::system_profiler
