#include "core/package/EmailStage.h"

#include <algorithm>
#include <array>

#include "core/package/EmailPattern.h"
#include "core/package/PatternAutomaton.h"
#include "core/package/ValueForms.h"

namespace tarvix {
namespace {

constexpr bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
unsigned char folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }
/// The characters an e-mail address may hold (its domain may hold non-ASCII letters, its "@" may
/// be escaped): kAddress; those that may begin an "@" or its escape: kAddress | kAtSign.
constexpr unsigned char kAddress = 1, kAtSign = 2;
constexpr std::array<unsigned char, 256> kAddressBytes = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        const bool address = isAsciiAlnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '_' ||
                             c == '.' || c >= 0x80 || c == '#' || c == ';';
        const bool atSign = c == '@' || c == '%' || c == '\\' || c == '&';
        table[c] = static_cast<unsigned char>((address || atSign ? kAddress : 0) | (atSign ? kAtSign : 0));
    }
    return table;
}();
bool isAddressByte(unsigned char c) { return kAddressBytes[c] != 0; }
bool mayHoldAtSign(unsigned char c) { return (kAddressBytes[c] & kAtSign) != 0; }
bool isLocalByte(unsigned char c) { return isAsciiAlnum(c) || c == '+' || c == '-' || c == '_' || c == '.'; }

/// A run of address characters longer than this is searched in pieces, keeping its tail.
constexpr std::size_t kRunCap = 64 * 1024;
/// Longer local parts and domains than these are not looked for (an address has at most 254).
constexpr std::size_t kLongestLocal = 1024, kLongestDomain = 1024;
/// How many places an address's domain may end at are tried.
constexpr std::size_t kMostEnds = 64;

/// How files write the "@" of an address: as it is, percent-encoded, JSON-escaped, as an XML
/// reference. Answers the length of the one at `at`, 0 for none (ASCII case-blind).
std::size_t atSignAt(std::string_view run, std::size_t at)
{
    if (run[at] == '@') return 1;
    static constexpr std::string_view kEscapes[] = {"%40", "\\u0040", "&#64;", "&#x40;", "&commat;"};
    for (const std::string_view escape : kEscapes) {
        if (run.size() - at < escape.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < escape.size() && same; ++i)
            same = folded(static_cast<unsigned char>(run[at + i])) == static_cast<unsigned char>(escape[i]);
        if (same) return escape.size();
    }
    return 0;
}

}  // namespace

EmailStage::EmailStage(NameStage& names, Placeholders& placeholders, const std::string& keptEmail, bool keepLayout)
    : m_names(names), m_placeholders(placeholders), m_kept(asciiLowered(keptEmail)), m_keepLayout(keepLayout)
{
}

void EmailStage::feed(std::string_view bytes, const HiderSink& sink)
{
    std::size_t i = 0;
    if (!m_run.empty()) {
        while (i < bytes.size() && isAddressByte(static_cast<unsigned char>(bytes[i]))) ++i;
        m_run.append(bytes.substr(0, i));
        if (i == bytes.size()) {
            if (m_run.size() > kRunCap) endRun(sink, true);
            return;
        }
        endRun(sink, false);
    }
    std::size_t passed = i, runStart = 0;
    bool inRun = false, runHasAt = false;
    for (; i < bytes.size(); ++i) {
        const unsigned char kind = kAddressBytes[static_cast<unsigned char>(bytes[i])];
        if (kind != 0) {
            if (!inRun) runStart = i, runHasAt = false, inRun = true;
            runHasAt = runHasAt || (kind & kAtSign);
        } else if (inRun) {
            inRun = false;
            if (!runHasAt) continue;
            m_names.feed(bytes.substr(passed, runStart - passed), sink);
            m_run.assign(bytes.substr(runStart, i - runStart));
            endRun(sink, false);
            passed = i;
        }
    }
    if (inRun) {
        m_names.feed(bytes.substr(passed, runStart - passed), sink);
        m_run.assign(bytes.substr(runStart));
    } else {
        m_names.feed(bytes.substr(passed), sink);
    }
}

void EmailStage::finish(const HiderSink& sink)
{
    endRun(sink, false);
    m_names.finish(sink);
}

/// Where the longest address whose domain starts at `domain` ends (a run goes on after an
/// address: "name@example.com’s"), 0 for none; the address, with a plain "@", in m_address.
std::size_t EmailStage::addressEnd(std::string_view run, std::size_t local, std::size_t at, std::size_t domain,
                                   std::size_t end)
{
    // Only after a dot and 2 to 17 letters or digits, the last label's length, can one end.
    m_ends.clear();
    for (std::size_t dot = run.find('.', domain); dot < end; dot = run.find('.', dot + 1)) {
        std::size_t after = dot + 1;
        while (after < end && isAsciiAlnum(static_cast<unsigned char>(run[after]))) ++after;
        if (after - dot - 1 >= 2 && after - dot - 1 <= 17) m_ends.push_back(after);
    }
    // The longest first, among the nearest kMostEnds: no address has that many labels, and a
    // crafted run of them costs no more.
    if (m_ends.size() > kMostEnds) m_ends.resize(kMostEnds);
    for (auto e = m_ends.rbegin(); e != m_ends.rend(); ++e) {
        m_address.assign(run.substr(local, at - local)).append("@").append(run.substr(domain, *e - domain));
        if (m_known.find(m_address) != m_known.end() || tarvix::isValidEmail(m_address)) return *e;
    }
    return 0;
}

/// Hides the addresses of the run; `partial`: the run goes on, so its tail is kept for later.
void EmailStage::endRun(const HiderSink& sink, bool partial)
{
    const std::string_view run = m_run;
    std::size_t from = 0, keepFrom = run.size();
    for (std::size_t at = 0; at < run.size(); ++at) {
        if (!mayHoldAtSign(static_cast<unsigned char>(run[at]))) continue;
        const std::size_t atLength = atSignAt(run, at);
        if (atLength == 0) continue;
        const std::size_t domain = at + atLength;
        if (partial && run.size() - domain < kLongestDomain) {
            keepFrom = at;
            break;
        }
        std::size_t local = at;
        while (local > from && at - local < kLongestLocal && isLocalByte(static_cast<unsigned char>(run[local - 1])))
            --local;
        while (local < at && !isAsciiAlnum(static_cast<unsigned char>(run[local]))) ++local;
        if (local == at) continue;
        std::size_t end = domain;
        while (end < run.size() && end - domain < kLongestDomain &&
               !(mayHoldAtSign(static_cast<unsigned char>(run[end])) && atSignAt(run, end)))
            ++end;
        const std::size_t found = addressEnd(run, local, at, domain, end);
        if (found == 0) continue;
        auto known = m_known.find(m_address);
        if (known == m_known.end()) {
            const std::string hidden =
                asciiLowered(m_address) == m_kept ? std::string() : m_placeholders.of("email", m_address);
            known = m_known.emplace(m_address, hidden).first;
        }
        m_names.feed(run.substr(from, local - from), sink);
        if (known->second.empty())
            m_names.feed(run.substr(local, found - local), sink);  // the address typed into the form stays
        else
            m_names.feedOpaque(m_keepLayout ? fitted(known->second, found - local) : known->second, sink);
        from = found;
        at = found - 1;
    }
    if (!partial) {
        m_names.feed(run.substr(from), sink);
        m_run.clear();
        return;
    }
    // What is kept may still become an address's local part and "@".
    const std::size_t keep = std::min(keepFrom, run.size() - std::min<std::size_t>(run.size(), 8));
    const std::size_t cut = std::max(from, keep > kLongestLocal ? keep - kLongestLocal : 0);
    m_names.feed(run.substr(from, cut - from), sink);
    m_run.erase(0, cut);
}

}  // namespace tarvix
