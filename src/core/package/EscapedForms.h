#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

/// The other forms a value takes where a file escapes text: a JSON string (what is not ASCII as
/// \uXXXX, with and without the slash escaped as "\/"); an XML/HTML text ("&amp;" ..., what is not
/// ASCII as it is, as "&#252;", "&#xfc;" or "&uuml;", or every character as a numeric reference);
/// a URL (percent-encoded UTF-8, "/" kept or not, a space as "%20" or "+"). Only forms that differ
/// from the value, each once; hex digits in lower case (the hider compares ASCII case-blind).
std::vector<std::string> escapedForms(std::string_view value);

}  // namespace tarvix
