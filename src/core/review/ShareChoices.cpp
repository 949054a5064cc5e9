#include "core/review/ShareChoices.h"

#include <algorithm>

namespace tarvix {

bool leavesOutEverything(const ShareList& list, const ShareChoices& choices)
{
    return !list.entries.empty() && std::all_of(list.entries.begin(), list.entries.end(), [&](const ShareEntry& entry) {
        return choices.leftOut.count(entry.path) > 0;
    });
}

}  // namespace tarvix
