#pragma once

#include <optional>
#include <string>

#include "base/Status.h"
#include "platform/Platform.h"

namespace tarvix::UtilityFunctions {

/// First hardware address + "_" + login name; fails when interfaces cannot be listed.
tarvix::Result<std::string> getUnitMachineString(const platform::Folders& folders);
/// SHA-512 of the machine text, 128 lower-case hex digits.
std::string getMachineHash(const platform::Folders& folders);

}  // namespace tarvix::UtilityFunctions
