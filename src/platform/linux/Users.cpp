#include "platform/Users.h"

#include <pwd.h>
#include <unistd.h>

#include <string>

namespace tarvix::platform {

std::optional<PasswordEntry> passwordEntry(uid_t uid)
{
    std::string buffer(16384, '\0');
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result) != 0 || !result) return std::nullopt;
    return PasswordEntry{result->pw_name ? result->pw_name : "", result->pw_dir ? result->pw_dir : "", result->pw_gid};
}

std::string userName()
{
    const auto entry = passwordEntry(geteuid());
    if (entry && !entry->name.empty()) return entry->name;
    return std::to_string(geteuid());
}

}  // namespace tarvix::platform
