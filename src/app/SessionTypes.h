#pragma once

namespace tarvix::app {

/// The reason shown under an upload failure.
enum class SecondaryError { none, network, canceled };

/// Which text input holds the keyboard focus.
enum class Field { feedback, email };

}  // namespace tarvix::app
