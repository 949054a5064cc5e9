#pragma once

#include <string>
#include <string_view>

#include "base/Status.h"
#include "core/package/IdentityHider.h"

namespace tarvix::FilesPathDirectory {

/// A property list with the identity hidden in every string, key and data value (a property list
/// held in data too; binary data keeps its layout), written back in its own format (binary or
/// XML, whose data is base64). Fails for bytes that do not parse as one, or that parsing refuses.
tarvix::Result<std::string> hidePlist(std::string_view bytes, tarvix::IdentityHider& hider);

}  // namespace tarvix::FilesPathDirectory
