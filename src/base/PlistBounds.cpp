#include "base/PlistBounds.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvix {
namespace {

Failure tooLarge()
{
    return Failure{"The property list would expand to more than " + std::to_string(kPlistNodeLimit) +
                       " objects or nest deeper than " + std::to_string(kPlistDepthLimit) + "; it is not read.",
                   EFBIG};
}
Failure malformed() { return Failure{"Not a property list.", EINVAL}; }

std::uint64_t bigEndian(std::string_view bytes, std::size_t at, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

/// The object references of a binary property list, as the tree would follow them.
struct BinaryGraph {
    std::vector<std::uint32_t> firstChild;  ///< per object, an index into children; one past the end last
    std::vector<std::uint32_t> children;
    std::uint32_t root = 0;
};

Result<BinaryGraph> readBinaryGraph(std::string_view bytes)
{
    constexpr std::size_t kTrailer = 32, kHeader = 8;
    if (bytes.size() < kHeader + kTrailer || bytes.substr(0, kHeader) != "bplist00") return malformed();
    const std::size_t trailer = bytes.size() - kTrailer;
    const std::size_t offsetSize = static_cast<unsigned char>(bytes[trailer + 6]);
    const std::size_t refSize = static_cast<unsigned char>(bytes[trailer + 7]);
    const std::uint64_t objects = bigEndian(bytes, trailer + 8, 8), root = bigEndian(bytes, trailer + 16, 8);
    const std::uint64_t table = bigEndian(bytes, trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objects == 0 || root >= objects ||
        table < kHeader || table > trailer)
        return malformed();
    if (objects > kPlistNodeLimit) return tooLarge();
    if (objects * offsetSize > trailer - table) return malformed();

    BinaryGraph graph;
    graph.firstChild.reserve(objects + 1);
    for (std::uint64_t i = 0; i < objects; ++i) {
        graph.firstChild.push_back(static_cast<std::uint32_t>(graph.children.size()));
        const std::uint64_t at = bigEndian(bytes, table + i * offsetSize, offsetSize);
        if (at < kHeader || at >= table) return malformed();
        const auto marker = static_cast<unsigned char>(bytes[at]);
        const unsigned type = marker >> 4;
        if (type != 0xA && type != 0xB && type != 0xC && type != 0xD) continue;
        std::uint64_t count = marker & 0xF, refs = at + 1;
        if (count == 0xF) {
            // The count follows as an integer object of 1, 2, 4 or 8 bytes.
            const auto sizeMarker = refs < table ? static_cast<unsigned char>(bytes[refs]) : 0;
            if ((sizeMarker >> 4) != 0x1 || (sizeMarker & 0xF) > 3) return malformed();
            const std::size_t size = std::size_t{1} << (sizeMarker & 0xF);
            if (refs + 1 + size > table) return malformed();
            count = bigEndian(bytes, refs + 1, size);
            refs += 1 + size;
        }
        if (type == 0xD) {
            if (count > (table - refs) / 2) return malformed();
            count *= 2;  // keys, then values
        }
        if (count > (table - refs) / refSize) return malformed();
        if (graph.children.size() + count > kPlistNodeLimit) return tooLarge();
        for (std::uint64_t r = 0; r < count; ++r) {
            const std::uint64_t child = bigEndian(bytes, refs + r * refSize, refSize);
            if (child >= objects) return malformed();
            graph.children.push_back(static_cast<std::uint32_t>(child));
        }
    }
    graph.firstChild.push_back(static_cast<std::uint32_t>(graph.children.size()));
    graph.root = static_cast<std::uint32_t>(root);
    return graph;
}

/// Counts the tree's nodes and depth bottom-up, each object once, without recursion.
Status checkBinary(std::string_view bytes)
{
    auto read = readBinaryGraph(bytes);
    if (!read) return read.failure();
    const BinaryGraph& graph = *read;
    const std::uint32_t root = graph.root;
    const std::size_t objects = graph.firstChild.size() - 1;
    enum : unsigned char { unseen, open, done };
    std::vector<unsigned char> state(objects, unseen);
    std::vector<std::uint64_t> nodes(objects, 0);
    std::vector<std::uint32_t> depth(objects, 0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> stack{{root, graph.firstChild[root]}};
    state[root] = open;
    while (!stack.empty()) {
        auto& [object, next] = stack.back();
        if (next < graph.firstChild[object + 1]) {
            const std::uint32_t child = graph.children[next++];
            if (state[child] == open) return malformed();  // a cycle: the tree would never end
            if (state[child] == unseen) {
                if (stack.size() >= kPlistDepthLimit) return tooLarge();
                state[child] = open;
                stack.emplace_back(child, graph.firstChild[child]);
            }
            continue;
        }
        std::uint64_t count = 1;
        std::uint32_t deepest = 0;
        for (std::uint32_t c = graph.firstChild[object]; c < graph.firstChild[object + 1]; ++c) {
            count += nodes[graph.children[c]];
            deepest = std::max(deepest, depth[graph.children[c]]);
            if (count > kPlistNodeLimit) return tooLarge();
        }
        nodes[object] = count;
        depth[object] = deepest + 1;
        if (depth[object] > kPlistDepthLimit) return tooLarge();
        state[object] = done;
        stack.pop_back();
    }
    return {};
}

/// An XML property list has no references: its elements and their nesting are counted.
Status checkXml(std::string_view bytes)
{
    std::size_t elements = 0, level = 0;
    for (std::size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
        const std::string_view tag = bytes.substr(at + 1, 7);
        const bool container = tag.starts_with("array") || tag.starts_with("dict");
        if (tag.starts_with("/array") || tag.starts_with("/dict")) {
            if (level > 0) --level;
            continue;
        }
        if (tag.empty() || !std::isalpha(static_cast<unsigned char>(tag[0]))) continue;
        if (++elements > kPlistNodeLimit) return tooLarge();
        const std::size_t close = bytes.find('>', at);
        if (container && close != std::string_view::npos && bytes[close - 1] != '/' && ++level > kPlistDepthLimit)
            return tooLarge();
    }
    return {};
}

}  // namespace

Status checkPlistBounds(std::string_view bytes)
{
    if (bytes.starts_with("bplist")) return checkBinary(bytes);
    return checkXml(bytes);
}

}  // namespace tarvix
