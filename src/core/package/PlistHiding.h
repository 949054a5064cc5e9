#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"
#include "core/package/IdentityHider.h"

namespace tarvix::FilesPathDirectory {

/// A binary property list with the identity hidden in every string, key and data value, written
/// back as a binary property list. Fails for bytes that do not parse as one.
tarvix::Result<std::string> hidePlist(std::string_view bytes, tarvix::IdentityHider& hider);

}  // namespace tarvix::FilesPathDirectory
