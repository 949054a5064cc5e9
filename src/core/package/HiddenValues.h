#pragma once

#include <string>
#include <vector>

#include "platform/Identity.h"

namespace tarvix {

/// One value a hidden share replaces, and the ways files write it.
struct HiddenValue {
    std::string kind;                ///< "home", "user", "name", "host", "mac", "ip" or "word"
    std::string value;               ///< as the mapping keeps it
    std::vector<std::string> forms;  ///< the value first, then each other written form once
    bool wholeWord = false;          ///< found only between non-word bytes (short values, addresses)
};

/// Which forms the hider leaves out; anything but `all` exists to show the archive's proof works.
enum class HiderForms { all, withoutNameVariants };

/// Everything a hidden share hides but e-mail addresses (found by their pattern): the login, the
/// real name joined by space, dot, underscore, hyphen, plus or nothing and as "Last, First", both
/// in lower, upper and folded case, NFC and NFD; the home folder from the account database and from
/// the environment; the host's short, full and other names; its hardware and IP addresses; and
/// `words` the user added. Values of one or two bytes are whole words only.
std::vector<HiddenValue> hiddenValues(const platform::Identity& identity, const std::vector<std::string>& words = {});

}  // namespace tarvix
