#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Status.h"
#include "core/package/HiddenValues.h"

namespace tarvix {

/// One file the archive will hold.
struct ShareEntry {
    /// `compressed`: compressed or archived content, known by its bytes; hiding cannot search it.
    enum class Kind { text, binaryPlist, other, compressed };
    std::string path;        ///< relative to the session folder, '/'-separated, exactly as the archive names it
    std::uint64_t size = 0;  ///< bytes on disk (a kept link: the file it names, which is what zip stores)
    Kind kind = Kind::other;
    std::string target;  ///< for a kept link, the path of the file it names (it goes where that goes)
};

/// Whether `entry` stays out: cleared itself, or a link to a file that was.
inline bool isLeftOut(const ShareEntry& entry, const std::set<std::string>& leftOut)
{
    return leftOut.count(entry.path) > 0 || (!entry.target.empty() && leftOut.count(entry.target) > 0);
}

/// What a share would send, with an estimate of the archive's size.
///
/// The estimate: deflate (zip's own method and level) compresses a sample of each kind: up to 32
/// files picked by their share of the bytes, the first 32 KiB of each. The sample's ratio per kind,
/// times each file's size, plus zip's headers per entry (local and central, its name twice, the
/// extra fields) and per folder. Logs compress much alike through a file, so the estimate stays
/// within a few per cent of the real archive for text logs.
struct ShareList {
    std::vector<ShareEntry> entries;  ///< sorted by path
    std::uint64_t totalSize = 0;
    std::uint64_t estimatedArchiveSize = 0;
    /// Compressed bytes per input byte, by Kind, from the sample (1 when nothing was sampled).
    std::array<double, 4> compressionRatio{1.0, 1.0, 1.0, 1.0};
    /// Folders the archive holds (zip stores one entry for each), the edition folder included.
    std::vector<std::string> folders;
};

/// What pruning would leave in `sessionFolder` (pruning's own rules), computed without changing
/// anything and without following a link out of the folder. Files directly in the session folder
/// are not listed: the only one a share zips there is the feedback record it writes itself.
Result<ShareList> listShareable(const std::filesystem::path& sessionFolder);

/// Why a share with names hidden leaves `entry` out whatever the user chose; empty when it does not.
inline std::string_view leftOutWhenHiding(const ShareEntry& entry)
{
    return entry.kind == ShareEntry::Kind::compressed ? "compressed or archived content cannot be searched for names"
                                                      : "";
}

/// What the user decided in the review. Default-constructed: the share as it always was.
struct ShareChoices {
    std::set<std::string> leftOut;     ///< ShareEntry::path values the user cleared
    bool hideIdentity = false;         ///< "Hide my name and computer"
    std::vector<std::string> words{};  ///< more to hide, this session only
    HiderForms hiderForms = HiderForms::all;

    bool changesNothing() const { return leftOut.empty() && !hideIdentity; }
};

/// Whether a share with `choices` sends `entry`.
inline bool isSent(const ShareEntry& entry, const ShareChoices& choices)
{
    return !isLeftOut(entry, choices.leftOut) && !(choices.hideIdentity && !leftOutWhenHiding(entry).empty());
}

/// Re-estimates for what `choices` send (after boxes are cleared, or names hidden).
std::uint64_t estimateArchiveSize(const ShareList& list, const ShareChoices& choices);

/// True when `choices` leave out every file of the target (only the feedback record would remain).
inline bool leavesOutEverything(const ShareList& list, const ShareChoices& choices)
{
    return !list.entries.empty() && std::all_of(list.entries.begin(), list.entries.end(), [&](const ShareEntry& entry) {
        return isLeftOut(entry, choices.leftOut);
    });
}

}  // namespace tarvix
