#include "core/workspace/Session.h"

namespace tarvix {

Session sessionIn(const UtilityFunctions::Workspace& workspace)
{
    Session session;
    session.library = workspace.userLibraryURL;
    session.preferences = workspace.userLibraryPrefURL;
    session.system = workspace.tempSystemURL;
    session.folder = workspace.tempTimeStampedURL;
    session.scratch = workspace.temptempURL;
    session.output = workspace.tempTimeStampedURL;
    return session;
}

}  // namespace tarvix
