#pragma once

#include <algorithm>
#include <set>
#include <string>

#include "core/review/ShareList.h"

namespace tarvix {

/// What the user decided in the review. Default-constructed: the share as it always was.
struct ShareChoices {
    std::set<std::string> leftOut;  ///< ShareEntry::path values the user cleared
    bool hideIdentity = false;      ///< "Hide my name and computer"

    bool changesNothing() const { return leftOut.empty() && !hideIdentity; }
};

/// True when `choices` leave out every file of the target (only the feedback record would remain).
inline bool leavesOutEverything(const ShareList& list, const ShareChoices& choices)
{
    return !list.entries.empty() && std::all_of(list.entries.begin(), list.entries.end(), [&](const ShareEntry& entry) {
        return choices.leftOut.count(entry.path) > 0;
    });
}

}  // namespace tarvix
