#include "core/package/ArchiveProof.h"

#include <minizip/unzip.h>
#include <plist/plist.h>
#include <unicode/ucasemap.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>

#include "core/package/EmailPattern.h"
#include "core/package/ProofDecoding.h"

namespace fs = std::filesystem;

// Deliberately simple and separate from the hider: one pass per decoded form, each value looked
// for on its own, so a fault in the hider's automaton or escapes is not repeated here.
namespace tarvix {
namespace {

constexpr std::size_t kChunk = 1 << 20;
/// Property lists are parsed whole; the hider leaves larger ones out.
constexpr std::size_t kPlistLimit = 64u << 20;

bool isAsciiAlnum(unsigned char c) { return (c >= '0' && c <= '9') || ((c | 32) >= 'a' && (c | 32) <= 'z'); }
bool isWordByte(unsigned char c) { return c >= 0x80 || isAsciiAlnum(c); }

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

std::string folded(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return asciiLower(text);
    // Folded as UTF-8 directly: no round trip through UTF-16 for every chunk.
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCaseMap, void (*)(UCaseMap*)> map(ucasemap_open(nullptr, U_FOLD_CASE_DEFAULT, &status),
                                                             ucasemap_close);
    std::string out(text.size() + text.size() / 2 + 16, '\0');
    for (int attempt = 0; attempt < 2 && U_SUCCESS(status); ++attempt) {
        const int32_t length = ucasemap_utf8FoldCase(map.get(), out.data(), static_cast<int32_t>(out.size()),
                                                     text.data(), static_cast<int32_t>(text.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            status = U_ZERO_ERROR;
            out.resize(static_cast<std::size_t>(length));
            continue;
        }
        out.resize(static_cast<std::size_t>(length));
        return out;
    }
    return asciiLower(text);
}

bool compressed(std::string_view head)
{
    static const std::array<std::string_view, 6> magics = {
        {"PK\x03\x04", "\x1f\x8b", "\xfd\x37\x7a\x58\x5a\x00", "\x28\xb5\x2f\xfd", "\x37\x7a\xbc\xaf\x27\x1c", "BZh"}};
    for (const auto magic : magics)
        if (head.substr(0, magic.size()) == std::string_view(magic.data(), magic.size()))
            return magic != "BZh" || (head.size() > 3 && head[3] >= '1' && head[3] <= '9');
    return false;
}

/// Where a window of a longer stream was cut: a match touching a cut is left to the window beside
/// it, which holds it whole with its context.
struct Cut {
    bool before = false, after = false;
};

class Searcher {
public:
    Searcher(const std::vector<HiddenValue>& values, const std::string& keptEmail,
             const std::vector<std::string>& placeholders)
        : m_kept(folded(keptEmail))
    {
        for (const HiddenValue& value : values)
            for (const std::string& form : value.forms) {
                const std::string needle = folded(form);
                if (needle.empty() ||
                    std::any_of(m_needles.begin(), m_needles.end(), [&](const Needle& n) { return n.text == needle; }))
                    continue;
                if (needle.size() > 1) {
                    const auto pair = pairAt(needle, 0);
                    m_pairs.set(pair);
                    m_byPair[pair].push_back(m_needles.size());
                }
                m_needles.push_back({needle, value.kind, value.wholeWord});
                m_longest = std::max(m_longest, needle.size());
            }
        for (const std::string& placeholder : placeholders) {
            const std::string text = folded(placeholder);
            if (std::any_of(m_needles.begin(), m_needles.end(),
                            [&](const Needle& n) { return text.find(n.text) != std::string::npos; }))
                m_blanks.push_back(text);
        }
    }

    /// How far a value's longest encoded form reaches: chunks overlap by this much.
    std::size_t overlap() const { return std::max<std::size_t>(1024, 16 * m_longest) & ~std::size_t{1}; }

    /// The kind of the first value `bytes` holds in any of its decoded forms.
    std::optional<std::string> search(std::string_view bytes, Cut cut = {}) const
    {
        std::optional<std::string> hit = plain(bytes, cut);
        const auto has = [&](std::string_view part) { return bytes.find(part) != std::string_view::npos; };
        const bool wide = has(std::string_view("\0", 1));
        if (!hit && wide) hit = plain(fromUtf16(bytes, false), cut);
        if (!hit && wide) hit = plain(fromUtf16(bytes, true), cut);
        // One memchr per character: find_first_of tries each byte against the set.
        if (!hit && (has("\\") || has("&") || has("%"))) hit = plain(unescaped(bytes), cut);
        return hit;
    }

private:
    struct Needle {
        std::string text, kind;
        bool wholeWord;
    };

    static std::uint16_t pairAt(std::string_view text, std::size_t at)
    {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(text[at]) << 8 |
                                          static_cast<unsigned char>(text[at + 1]));
    }

    bool matches(std::string_view text, std::size_t at, const Needle& needle, Cut cut) const
    {
        if (text.compare(at, needle.text.size(), needle.text) != 0) return false;
        const std::size_t end = at + needle.text.size();
        if ((at == 0 && cut.before) || (end == text.size() && cut.after)) return false;
        return !needle.wholeWord || ((at == 0 || !isWordByte(static_cast<unsigned char>(text[at - 1]))) &&
                                     (end == text.size() || !isWordByte(static_cast<unsigned char>(text[end]))));
    }

    std::optional<std::string> plain(std::string_view bytes, Cut cut) const
    {
        std::string text = folded(bytes);
        for (const std::string& blank : m_blanks) text = blanked(text, blank);
        // Each position is looked at once; a value is compared only where its first two bytes are.
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            const auto pair = pairAt(text, i);
            if (!m_pairs.test(pair)) continue;
            for (const std::size_t index : m_byPair.at(pair))
                if (matches(text, i, m_needles[index], cut)) return m_needles[index].kind;
        }
        for (const Needle& needle : m_needles)
            if (needle.text.size() == 1)
                for (std::size_t at = 0; (at = text.find(needle.text, at)) != std::string::npos; ++at)
                    if (matches(text, at, needle, cut)) return needle.kind;
        return email(text, cut) ? std::optional<std::string>("email") : std::nullopt;
    }

    static std::string blanked(const std::string& text, const std::string& blank)
    {
        std::string out;
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(blank, from)) != std::string::npos; from = at + blank.size())
            out.append(text, from, at - from).append("\x01");
        return out.append(text, from);
    }

    /// Whether `text` (folded) holds an address that is neither the kept one nor a placeholder.
    bool email(std::string_view text, Cut cut) const
    {
        const auto local = [](unsigned char c) {
            return isAsciiAlnum(c) || c == '.' || c == '_' || c == '+' || c == '-';
        };
        const auto domain = [](unsigned char c) { return isAsciiAlnum(c) || c == '.' || c == '-' || c >= 0x80; };
        const std::size_t keptAt = m_kept.find('@');
        for (std::size_t at = 0; (at = text.find('@', at)) != std::string_view::npos; ++at) {
            // Addresses that may stay: in binary content the bytes after one could read as more of it.
            if (text.compare(at, 17, "@redacted.invalid") == 0) continue;
            if (keptAt != std::string::npos && at >= keptAt && text.compare(at - keptAt, m_kept.size(), m_kept) == 0 &&
                (at == keptAt || !local(static_cast<unsigned char>(text[at - keptAt - 1]))))
                continue;
            std::size_t begin = at, end = at + 1;
            while (begin > 0 && local(static_cast<unsigned char>(text[begin - 1]))) --begin;
            while (end < text.size() && domain(static_cast<unsigned char>(text[end]))) ++end;
            if ((begin == 0 && cut.before) || (end == text.size() && cut.after)) continue;
            while (begin < at && !isAsciiAlnum(static_cast<unsigned char>(text[begin]))) ++begin;
            std::string_view address = text.substr(begin, end - begin);
            for (int tries = 0; tries < 2; ++tries) {
                while (!address.empty() && !isAsciiAlnum(static_cast<unsigned char>(address.back())))
                    address.remove_suffix(1);
                if (address.size() <= at - begin + 1) break;
                if (isValidEmail(address) && address != m_kept && !address.ends_with("@redacted.invalid")) return true;
                // "name@example.com’s": the domain ends before its first non-ASCII byte.
                const auto wide = std::find_if(address.begin() + static_cast<std::ptrdiff_t>(at - begin), address.end(),
                                               [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
                address = address.substr(0, static_cast<std::size_t>(wide - address.begin()));
            }
        }
        return false;
    }

    std::vector<Needle> m_needles;
    std::bitset<65536> m_pairs;
    std::unordered_map<std::uint16_t, std::vector<std::size_t>> m_byPair;
    std::vector<std::string> m_blanks;
    std::string m_kept;
    std::size_t m_longest = 0;
};

/// Every string, key and data value of a property list, each searched on its own.
std::optional<std::string> searchPlist(plist_t node, const Searcher& searcher)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        return searcher.search(std::string_view(text ? text : "", text ? length : 0));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* data = plist_get_data_ptr(node, &length);
        return searcher.search(std::string_view(data ? data : "", data ? length : 0));
    }
    case PLIST_ARRAY:
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            if (auto hit = searchPlist(plist_array_get_item(node, i), searcher)) return hit;
        return std::nullopt;
    case PLIST_DICT: {
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        std::optional<std::string> hit;
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            if (!key) break;
            hit = searcher.search(key);
            std::free(key);
            if (!hit) hit = searchPlist(value, searcher);
            if (hit) break;
        }
        std::free(iterator);
        return hit;
    }
    default: return std::nullopt;
    }
}

/// The open entry's bytes, searched in overlapping chunks; a property list also parsed whole.
Result<std::optional<std::string>> searchEntry(unzFile zip, const Searcher& searcher)
{
    if (unzOpenCurrentFile(zip) != UNZ_OK) return Failure{"an entry cannot be opened"};
    const std::unique_ptr<void, int (*)(unzFile)> closer(zip, unzCloseCurrentFile);
    const std::size_t overlap = searcher.overlap();
    std::string window, whole;
    bool first = true, plist = false, cutBefore = false;
    for (;;) {
        const std::size_t kept = window.size();
        window.resize(kept + kChunk);
        const int got = unzReadCurrentFile(zip, window.data() + kept, static_cast<unsigned>(kChunk));
        if (got < 0) return Failure{"an entry cannot be inflated"};
        window.resize(kept + static_cast<std::size_t>(got));
        if (first) {
            if (compressed(window)) return std::optional<std::string>("compressed");
            plist = window.starts_with("bplist") || window.substr(0, 1024).find("<plist") != std::string::npos;
            first = false;
        }
        if (plist && whole.size() < kPlistLimit) whole.append(window, kept);
        // Whether more follows is known only at the next read: the end's matches are looked at then.
        if (auto hit = searcher.search(window, {cutBefore, got != 0})) return hit;
        if (got == 0) break;
        cutBefore = window.size() > overlap;
        window.erase(0, cutBefore ? window.size() - overlap : 0);
    }
    if (plist) {
        plist_t root = nullptr;
        plist_from_memory(whole.data(), static_cast<uint32_t>(whole.size()), &root);
        if (!root) return std::optional<std::string>();
        auto hit = searchPlist(root, searcher);
        plist_free(root);
        return hit;
    }
    return std::optional<std::string>();
}

}  // namespace

Result<std::optional<ProofHit>> proveArchive(const fs::path& archive, const std::vector<HiddenValue>& values,
                                             const std::string& keptEmail, const std::vector<std::string>& placeholders)
{
    const Searcher searcher(values, keptEmail, placeholders);
    const std::unique_ptr<void, int (*)(unzFile)> zip(unzOpen64(archive.c_str()), unzClose);
    if (!zip) return Failure{"The archive cannot be opened: " + archive.string()};
    for (int more = unzGoToFirstFile(zip.get()); more == UNZ_OK; more = unzGoToNextFile(zip.get())) {
        unz_file_info64 info{};
        char name[4096] = {};
        if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            return Failure{"An entry of the archive cannot be read."};
        if (auto hit = searcher.search(name)) return std::optional<ProofHit>(ProofHit{name, *hit, true});
        auto hit = searchEntry(zip.get(), searcher);
        if (!hit) return Failure{std::string(name) + ": " + hit.message()};
        if (*hit) return std::optional<ProofHit>(ProofHit{name, **hit, false});
    }
    return std::optional<ProofHit>();
}

}  // namespace tarvix
