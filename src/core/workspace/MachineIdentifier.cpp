#include "core/workspace/MachineIdentifier.h"

#include <openssl/evp.h>

#include <cstdio>

#include "platform/Network.h"
#include "platform/Users.h"

namespace tarvix::UtilityFunctions {

tarvix::Result<std::string> getUnitMachineString(const platform::Folders& folders)
{
    const auto addresses = platform::hardwareAddresses(folders);
    if (!addresses) return addresses.failure();
    std::string text;
    if (!addresses->empty()) text += addresses->front();
    text += "_";
    text += platform::userName();
    return text;
}

std::string getMachineHash(const platform::Folders& folders)
{
    // Without any interface list the identifier still has to name the user: digest the text a
    // machine without hardware addresses would give.
    const std::string text = getUnitMachineString(folders).value_or("_" + platform::userName());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha512(), nullptr) != 1) return {};
    std::string hex;
    hex.reserve(length * 2);
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02hhx", digest[i]);
        hex += pair;
    }
    return hex;
}

}  // namespace tarvix::UtilityFunctions
