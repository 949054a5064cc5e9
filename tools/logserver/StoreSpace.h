#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>

namespace tarvix::logserver {

/// What the store may still take: counted from what it holds at start, reserved by each request
/// before it stores a byte, and settled to what the request's folder really holds once written.
class StoreSpace {
public:
    StoreSpace(const std::filesystem::path& store, std::uint64_t limit);

    /// False, reserving nothing, when `bytes` more would pass the limit.
    bool reserve(std::uint64_t bytes);
    /// Replaces a reservation by the bytes `folder` holds.
    void settle(std::uint64_t reserved, const std::filesystem::path& folder);

private:
    std::mutex m_mutex;
    std::uint64_t m_used;
    const std::uint64_t m_limit;
};

/// The sizes of the regular files in and below `folder`, links not followed.
std::uint64_t storedBytes(const std::filesystem::path& folder);

}  // namespace tarvix::logserver
