#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/Status.h"
#include "platform/Platform.h"

namespace tarvix::UtilityFunctions {

/// First hardware address + "_" + login name; fails when interfaces cannot be listed.
tarvix::Result<std::string> getUnitMachineString(const platform::Folders& folders);
/// SHA-512 of the machine text, 128 lower-case hex digits.
std::string getMachineHash(const platform::Folders& folders);
/// HMAC-SHA-512 of the machine text keyed by the account's secret, 128 lower-case hex digits: the
/// same for every session of this account on this machine, and not to be reversed from the
/// machine's addresses and the login. The secret is made once in `systemFolder` ("MachineKey",
/// owner-only); fails when it can neither be made nor read as the user's alone.
tarvix::Result<std::string> getKeyedMachineHash(const platform::Folders& folders,
                                                const std::filesystem::path& systemFolder);

}  // namespace tarvix::UtilityFunctions
