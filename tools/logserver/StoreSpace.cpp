#include "StoreSpace.h"

namespace tarvix::logserver {

StoreSpace::StoreSpace(const std::filesystem::path& store, std::uint64_t limit)
    : m_used(storedBytes(store)), m_limit(limit)
{
}

bool StoreSpace::reserve(std::uint64_t bytes)
{
    std::lock_guard lock(m_mutex);
    if (m_used > m_limit || bytes > m_limit - m_used) return false;
    m_used += bytes;
    return true;
}

void StoreSpace::settle(std::uint64_t reserved, const std::filesystem::path& folder)
{
    const std::uint64_t held = storedBytes(folder);
    std::lock_guard lock(m_mutex);
    m_used = m_used - reserved + held;
}

std::uint64_t storedBytes(const std::filesystem::path& folder)
{
    std::uint64_t total = 0;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code sizeError;
        if (it->symlink_status(sizeError).type() == std::filesystem::file_type::regular)
            total += it->file_size(sizeError);
    }
    return total;
}

}  // namespace tarvix::logserver
