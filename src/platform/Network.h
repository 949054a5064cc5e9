#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"
#include "platform/Platform.h"

namespace tarvix::platform {

/// Hardware addresses of the interfaces that have one, in interface-index order, as `ip link`
/// prints them. Fails when the interfaces cannot be listed at all.
tarvix::Result<std::vector<std::string>> hardwareAddresses(const Folders& folders);

}  // namespace tarvix::platform
