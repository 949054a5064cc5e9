#include "core/workspace/SharedValues.h"

#include <algorithm>
#include <cctype>

#include "base/Uuid.h"

namespace tarvix::UtilityFunctions {

const std::string& UniqueId()
{
    static const std::string id = [] {
        std::string text = tarvix::makeUuid();
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    }();
    return id;
}

}  // namespace tarvix::UtilityFunctions
