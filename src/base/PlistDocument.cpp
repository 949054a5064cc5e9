#include "base/PlistDocument.h"

#include <cerrno>
#include <cstdint>
#include <limits>

#include "base/PlistBounds.h"

namespace tarvix {

SharedPlistNode share(plist_t node)
{
    if (!node) return nullptr;
    return SharedPlistNode(plist_copy(node), PlistFree{});
}

Result<PlistDocument> parsePlist(std::string_view bytes)
{
    const Failure none{"Not a property list.", EINVAL};
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return none;
    if (auto bounded = checkPlistBounds(bytes); !bounded) return bounded.failure();
    const auto length = static_cast<uint32_t>(bytes.size());
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), length, &root);
    if (!root) return none;
    return PlistDocument{PlistNode(root), plist_is_binary(bytes.data(), length) != 0};
}

Result<std::string> encodePlist(const PlistDocument& document)
{
    char* bytes = nullptr;
    uint32_t length = 0;
    if (document.binary)
        plist_to_bin(raw(document.root), &bytes, &length);
    else
        plist_to_xml(raw(document.root), &bytes, &length);
    std::string text = bytes ? std::string(bytes, length) : std::string();
    if (document.binary)
        plist_to_bin_free(bytes);
    else
        plist_to_xml_free(bytes);
    if (text.empty()) return Failure{"the property list could not be encoded"};
    return text;
}

std::optional<std::string> stringValue(plist_t dictionary, const char* key)
{
    plist_t value = PLIST_IS_DICT(dictionary) ? plist_dict_get_item(dictionary, key) : nullptr;
    if (!PLIST_IS_STRING(value)) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(value, &length);
    if (!text) return std::nullopt;
    return std::string(text, length);
}

}  // namespace tarvix
