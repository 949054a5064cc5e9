#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>

namespace tarvix {

/// Fills each "%@" of a log format, in order, with the next argument. Missing arguments leave
/// the placeholder empty; extra ones are ignored.
std::string format(std::string_view formatString, std::initializer_list<std::string_view> arguments);

/// `text` as it stands between double quotes: \ and " escaped, a line feed written as \n.
std::string escapedForQuotes(std::string_view text);

/// A system error number's text as the log shows it: in English, whatever the user's locale.
std::string errorText(int errorNumber);
/// The same for a system error code (an errno); another category gives its own message.
std::string errorText(const std::error_code& error);
/// `value` with `decimals` digits after a point, whatever the user's locale.
std::string decimalText(double value, int decimals);

/// A location as the log shows it.
inline std::string pathText(const std::filesystem::path& path) { return path.string(); }

}  // namespace tarvix
