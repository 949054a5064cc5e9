#include "core/package/FilePreview.h"

namespace tarvix {

std::filesystem::path hiddenNamesFile(const Session& session)
{
    if (!session.system || !session.folder) return {};
    const auto& folder = session.folder->has_filename() ? *session.folder : session.folder->parent_path();
    return *session.system / ("HiddenNames-" + folder.filename().string() + ".txt");
}

}  // namespace tarvix
