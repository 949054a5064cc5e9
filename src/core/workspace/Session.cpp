#include "core/workspace/Session.h"

#include "core/workspace/SharedValues.h"

namespace tarvix {

Session sessionFromSharedValues()
{
    using namespace UtilityFunctions;
    Session session;
    session.library = userLibraryURL.get();
    session.preferences = userLibraryPrefURL.get();
    session.system = tempSystemURL.get();
    session.folder = tempTimeStampedURL.get();
    session.scratch = temptempURL.get();
    session.output = tempOutputURL.get();
    if (const auto running = ScrivoRunningInstance.get(); !running.empty()) session.bundleIdentifier = running.front();
    session.edition = scrivoOrGlance.get();
    session.flavour = flavour.get();
    session.processId = ProcessId.get();
    return session;
}

}  // namespace tarvix
