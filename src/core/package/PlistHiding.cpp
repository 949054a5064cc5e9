#include "core/package/PlistHiding.h"

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "base/PlistDocument.h"

namespace tarvix::FilesPathDirectory {
namespace {

/// Property lists inside data inside property lists: deeper ones are hidden as bytes.
constexpr int kMostNested = 8;

void hideNode(plist_t node, tarvix::IdentityHider& hider, int nested);

/// Data holds a property list of its own, text, or bytes whose layout matters.
std::string hideData(std::string_view data, tarvix::IdentityHider& hider, int nested)
{
    if (data.starts_with("bplist") && nested < kMostNested) {
        if (auto document = tarvix::parsePlist(data)) {
            hideNode(tarvix::raw(document->root), hider, nested + 1);
            if (auto hidden = tarvix::encodePlist(*document)) return *hidden;
        }
    }
    const bool text = data.find('\0') == std::string_view::npos;
    return hider.hide(data, text ? tarvix::IdentityHider::Layout::text : tarvix::IdentityHider::Layout::kept);
}

void hideNode(plist_t node, tarvix::IdentityHider& hider, int nested)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        const std::string hidden = hider.hide(std::string_view(text ? text : "", text ? length : 0));
        plist_set_string_val(node, hidden.c_str());
        break;
    }
    case PLIST_DATA: {
        char* data = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &data, &length);
        const std::string hidden = hideData(std::string_view(data ? data : "", data ? length : 0), hider, nested);
        std::free(data);
        plist_set_data_val(node, hidden.data(), hidden.size());
        break;
    }
    case PLIST_ARRAY:
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            hideNode(plist_array_get_item(node, i), hider, nested);
        break;
    case PLIST_DICT: {
        std::vector<std::pair<std::string, std::string>> renames;
        std::set<std::string> kept;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            if (!key) break;
            hideNode(value, hider, nested);
            std::string hidden = hider.hide(key);
            if (hidden != key)
                renames.emplace_back(key, std::move(hidden));
            else
                kept.insert(key);
            std::free(key);
        }
        std::free(iterator);
        for (auto& [from, to] : renames) {
            // A placeholder that meets another key ("user1" beside "jo") is told apart: both values stay.
            const std::string wanted = to;
            for (int n = 2; kept.count(to); ++n) to = wanted + " (" + std::to_string(n) + ")";
            kept.insert(to);
        }
        std::vector<PlistNode> values;
        for (const auto& [from, to] : renames) {
            values.emplace_back(plist_copy(plist_dict_get_item(node, from.c_str())));
            plist_dict_remove_item(node, from.c_str());
        }
        for (std::size_t i = 0; i < renames.size(); ++i)
            plist_dict_set_item(node, renames[i].second.c_str(), values[i].release());
        break;
    }
    default: break;
    }
}

}  // namespace

tarvix::Result<std::string> hidePlist(std::string_view bytes, tarvix::IdentityHider& hider)
{
    auto document = tarvix::parsePlist(bytes);
    if (!document) return document.failure();
    hideNode(tarvix::raw(document->root), hider, 0);
    return tarvix::encodePlist(*document);
}

}  // namespace tarvix::FilesPathDirectory
