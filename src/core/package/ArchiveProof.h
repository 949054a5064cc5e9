#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "core/package/HiddenValues.h"

namespace tarvix {

/// Where the proof found a hidden value: the entry and the kind of value, never the value.
struct ProofHit {
    std::string entry;
    std::string kind;     ///< a HiddenValue's kind, "email", or "compressed" for content it cannot open
    bool inName = false;  ///< found in the entry's name, which then holds the value too
};

/// Checks a hidden share's archive as the server reads it, apart from the hider: each entry is
/// inflated and its name and bytes searched, case-folded, for every form of `values` and for
/// e-mail addresses other than `keptEmail`, as they are and decoded (UTF-16 LE and BE, JSON,
/// XML and percent escapes, property lists' strings, keys and data). Text inside `placeholders`
/// does not count. Nested compressed content cannot be searched and counts as a hit. Answers the
/// first hit, none for a clean archive; fails when the archive cannot be read.
Result<std::optional<ProofHit>> proveArchive(const std::filesystem::path& archive,
                                             const std::vector<HiddenValue>& values, const std::string& keptEmail,
                                             const std::vector<std::string>& placeholders);

}  // namespace tarvix
