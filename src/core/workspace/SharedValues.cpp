#include "core/workspace/SharedValues.h"

#include <algorithm>
#include <cctype>

#include "core/base/Uuid.h"

namespace UtilityFunctions {

tarvix::Guarded<Location> userLibraryURL;
tarvix::Guarded<Location> userLibraryPrefURL;
tarvix::Guarded<Location> tempDirURL;
tarvix::Guarded<Location> tempSystemURL;
tarvix::Guarded<Location> tempTimeStampedURL;
tarvix::Guarded<Location> tempOutputURL;
tarvix::Guarded<Location> temptempURL;
tarvix::Guarded<Location> compressedLogURL;

tarvix::Guarded<std::string> ProcessId;
tarvix::Guarded<std::string> flavour{"Trunk"};
tarvix::Guarded<std::optional<std::string>> scrivoOrGlance;
tarvix::Guarded<std::vector<std::string>> ScrivoRunningInstance;
tarvix::Guarded<std::vector<std::filesystem::path>> scrivoInstalledUrls;
tarvix::Guarded<std::vector<std::filesystem::path>> glanceInstalledUrls;

std::atomic<bool> ShareButtonPressed{false};
std::atomic<bool> isOutputDirectoryCreated{false};

const std::string& UniqueId()
{
    static const std::string id = [] {
        std::string text = tarvix::makeUuid();
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
        return text;
    }();
    return id;
}

}  // namespace UtilityFunctions
