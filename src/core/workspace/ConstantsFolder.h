#pragma once

namespace tarvix::ConstantsFolder {
/// The target's own log folder, relative to the user's Library folder: flavour, then edition.
inline constexpr const char* ScrivologPath = "Application Support/Norvane/Scrivo/%@/%@/ScrivoLog";
}  // namespace tarvix::ConstantsFolder
