#pragma once

namespace tarvix::app {

/// Describes the window's items to assistive technologies as AccessibleControl (in the source):
/// Qt Quick's own description plus real enabled states, working "Press" and "Toggle" actions and
/// EditableText. Call once the application object exists (Qt Quick installs its own factory when
/// it loads; the last one installed wins).
void installAccessibleControls();

}  // namespace tarvix::app
