#include "core/workspace/MachineIdentifier.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/Files.h"
#include "platform/Network.h"
#include "platform/Users.h"

namespace fs = std::filesystem;

namespace tarvix::UtilityFunctions {
namespace {

constexpr std::size_t kKeyBytes = 64;

std::string hex(const unsigned char* bytes, unsigned int length)
{
    std::string out;
    out.reserve(length * 2);
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02hhx", bytes[i]);
        out += pair;
    }
    return out;
}

/// The machine text, or what a machine without hardware addresses would give.
std::string machineText(const platform::Folders& folders)
{
    return getUnitMachineString(folders).value_or("_" + platform::userName());
}

/// The key when `file` is a regular file of the user's, for the user alone, of the key's size.
tarvix::Result<std::string> readKey(const fs::path& file)
{
    const platform::FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) return tarvix::systemFailure(errno, file.string());
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return tarvix::systemFailure(errno, file.string());
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0 ||
        static_cast<std::size_t>(info.st_size) != kKeyBytes)
        return tarvix::Failure{"The machine key is not the user's alone: " + file.string(), EPERM};
    std::string key(kKeyBytes, '\0');
    std::size_t got = 0;
    while (got < key.size()) {
        const auto read = platform::readSome(fd.get(), key.data() + got, key.size() - got);
        if (!read) return read.failure();
        if (*read == 0) return tarvix::Failure{"The machine key is short: " + file.string(), EIO};
        got += *read;
    }
    return key;
}

tarvix::Result<std::string> accountKey(const fs::path& systemFolder)
{
    const fs::path file = systemFolder / "MachineKey";
    auto key = readKey(file);
    if (key || key.failure().errorNumber != ENOENT) return key;
    std::string fresh(kKeyBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(fresh.data()), static_cast<int>(fresh.size())) != 1)
        return tarvix::Failure{"No random bytes for the machine key.", EIO};
    // Another session may have made it first: its key is the one.
    if (auto made = platform::createFileOnce(file, fresh); !made && made.failure().errorNumber != EEXIST)
        return made.failure();
    return readKey(file);
}

}  // namespace

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
    const std::string text = machineText(folders);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha512(), nullptr) != 1) return {};
    return hex(digest, length);
}

tarvix::Result<std::string> getKeyedMachineHash(const platform::Folders& folders, const fs::path& systemFolder)
{
    const auto key = accountKey(systemFolder);
    if (!key) return key.failure();
    const std::string text = machineText(folders);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!HMAC(EVP_sha512(), key->data(), static_cast<int>(key->size()),
              reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest, &length))
        return tarvix::Failure{"HMAC failed.", EIO};
    return hex(digest, length);
}

}  // namespace tarvix::UtilityFunctions
