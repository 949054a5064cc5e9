#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "base/Status.h"

namespace tarvix::platform {

/// Why a copy left an item out.
enum class LeftOut {
    link,        ///< a symbolic link that may lead out of the copied folder
    overBudget,  ///< a file larger than what the budget still allows
};

/// The bytes a collection may still copy, shared by every copy of one capture run.
class CopyBudget {
public:
    explicit CopyBudget(std::uint64_t bytes) : m_total(bytes), m_remaining(bytes) {}
    CopyBudget(const CopyBudget&) = delete;
    CopyBudget& operator=(const CopyBudget&) = delete;

    std::uint64_t total() const { return m_total; }
    std::uint64_t remaining() const { return m_remaining.load(); }
    /// Takes `bytes` when that many remain; otherwise takes nothing.
    bool take(std::uint64_t bytes);
    /// Counts one more item of the run left out for `why`; answers how many that makes.
    std::uint64_t countLeftOut(LeftOut why) { return ++m_leftOut[static_cast<int>(why)]; }
    std::uint64_t leftOut(LeftOut why) const { return m_leftOut[static_cast<int>(why)].load(); }

private:
    const std::uint64_t m_total;
    std::atomic<std::uint64_t> m_remaining;
    std::atomic<std::uint64_t> m_leftOut[2]{};
};

using LeftOutHandler = std::function<void(const std::filesystem::path& item, LeftOut why)>;

/// Copies the file or folder tree `from` to exactly `to`, which must not exist yet, without ever
/// following a symbolic link: each item is opened relative to a folder already opened, so a
/// folder swapped for a link meanwhile is refused. A link is copied only when it names a regular
/// file beside it in a copied folder (a bare name, no "/"); any other link is left out. Sockets,
/// pipes and devices are skipped silently: reading a pipe could block for ever. What it creates
/// is owner-only (folders 0700, files 0600 or 0700, umask applied); a file keeps its
/// modification time and is copied up to the size it had when opened. With `budget`, a file that
/// no longer fits is left out. A failure deep in a tree does not stop the other entries; the
/// first one is answered, in the words a log line can carry. Written by hand: std::filesystem's
/// copy works by path, so a folder swapped for a link between its checks would be followed.
tarvix::Status copyTree(const std::filesystem::path& from, const std::filesystem::path& to, CopyBudget* budget,
                        const LeftOutHandler& leftOut);

}  // namespace tarvix::platform
