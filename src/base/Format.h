#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarvix {

/// Fills each "%@" of a log format, in order, with the next argument. Missing arguments leave
/// the placeholder empty; extra ones are ignored.
std::string format(std::string_view formatString, std::initializer_list<std::string_view> arguments);

/// `text` as it stands between double quotes: \ and " escaped, a line feed written as \n.
std::string escapedForQuotes(std::string_view text);

/// A location as the log shows it.
inline std::string pathText(const std::filesystem::path& path) { return path.string(); }

}  // namespace tarvix
