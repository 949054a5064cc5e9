#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>

namespace tarvix::platform {

/// An account as the password database has it.
struct PasswordEntry {
    std::string name;
    std::filesystem::path home;
    gid_t gid = 0;
};

/// The password-database entry of `uid`; absent when there is none.
std::optional<PasswordEntry> passwordEntry(uid_t uid);

/// Login name of the effective user; its number when the database has no entry.
std::string userName();

}  // namespace tarvix::platform
