#include "core/package/IdentityHider.h"

#include <algorithm>
#include <limits>
#include <set>

#include "core/package/EmailPattern.h"
#include "core/package/EscapedForms.h"
#include "core/package/PatternAutomaton.h"
#include "core/package/ValueForms.h"

namespace tarvix {
namespace {

constexpr bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
/// Part of a word for the whole-word rule: non-ASCII bytes belong to letters.
bool isWordByte(int c) { return c >= 0x80 || (c >= 0 && isAsciiAlnum(static_cast<unsigned char>(c))); }
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

const std::string& Placeholders::of(const std::string& kind, const std::string& value)
{
    const auto key = std::pair{kind, kind == "email" ? asciiLowered(value) : value};
    if (const auto found = m_byValue.find(key); found != m_byValue.end()) return found->second;
    const std::string number = std::to_string(++m_counts[kind]);
    std::string placeholder = kind == "email" ? "email" + number + "@redacted.invalid" : kind + number;
    m_longest = std::max(m_longest, placeholder.size());
    m_mapping.emplace_back(placeholder, value);
    return m_byValue.emplace(key, std::move(placeholder)).first->second;
}

/// Replaces the automaton's values, leftmost first, then longest.
class IdentityHider::NameStage {
public:
    explicit NameStage(const PatternAutomaton& automaton) : m_a(automaton) {}

    void feed(std::string_view bytes, const Sink& sink)
    {
        const std::size_t base = m_pending.size();
        m_pending.append(bytes);
        for (std::size_t i = base; i < m_pending.size(); ++i) {
            const auto byte = static_cast<unsigned char>(m_pending[i]);
            m_move = m_a.step(m_move, byte);
            ++m_position;
            // Candidates are rare: only then does a byte cost more than one move.
            if (!m_candidates.empty() || (m_move & 1)) [[unlikely]] {
                --m_position;
                if (!m_candidates.empty()) resolveAwaiting(byte);
                ++m_position;
                if (m_move & 1) addCandidates();
                if (!m_candidates.empty()) commitReady(m_position - m_a.depth[m_a.stateOf(m_move)], sink);
            }
        }
        std::uint64_t bound = m_position - m_a.depth[m_a.stateOf(m_move)];
        for (const auto& c : m_candidates) bound = std::min(bound, c.start);
        emitRaw(bound, sink);
        compact();
    }

    /// Ends the stream; `nextByte` is the byte that follows it (-1: none).
    void finish(const Sink& sink, int nextByte = -1)
    {
        if (nextByte >= 0) {
            std::erase_if(m_candidates, [&](const Candidate& c) { return c.awaitingNext && isWordByte(nextByte); });
        }
        for (auto& c : m_candidates) c.awaitingNext = false;
        commitReady(std::numeric_limits<std::uint64_t>::max(), sink);
        emitRaw(m_position, sink);
        compact();
        m_move = 0;
        m_before = -1;
    }

    /// Text that is already hidden (an address's placeholder): passed on as it is.
    void feedOpaque(std::string_view text, const Sink& sink)
    {
        finish(sink, static_cast<unsigned char>(text.front()));
        sink(text);
        ++m_replacements;
        m_before = static_cast<unsigned char>(text.back());
    }

    std::uint64_t replacements() const { return m_replacements; }

private:
    struct Candidate {
        std::uint64_t start, end;
        std::int32_t pattern;
        bool awaitingNext;
    };

    /// The original byte at `offset`, -1 before the stream.
    int byteAt(std::uint64_t offset) const
    {
        if (offset >= m_pendingStart) return static_cast<unsigned char>(m_pending[offset - m_pendingStart]);
        return offset + 1 == m_pendingStart ? m_before : -1;
    }

    void resolveAwaiting(unsigned char byte)
    {
        for (auto it = m_candidates.begin(); it != m_candidates.end();) {
            if (it->awaitingNext && it->end == m_position) {
                if (isWordByte(byte)) {
                    it = m_candidates.erase(it);
                    continue;
                }
                it->awaitingNext = false;
            }
            ++it;
        }
    }

    void addCandidates()
    {
        for (const std::int32_t index : m_a.outputs[m_a.stateOf(m_move)]) {
            const auto& pattern = m_a.patterns[static_cast<std::size_t>(index)];
            const std::uint64_t start = m_position - pattern.length;
            if (start < m_flushed) continue;
            if (pattern.wholeWord && start > 0 && isWordByte(byteAt(start - 1))) continue;
            m_candidates.push_back({start, m_position, index, pattern.wholeWord});
        }
    }

    /// Replaces the leftmost-longest candidate while no later byte can give a longer one at or
    /// before its start (`safe`: where the earliest match still to come may start).
    void commitReady(std::uint64_t safe, const Sink& sink)
    {
        while (!m_candidates.empty()) {
            const auto best =
                std::min_element(m_candidates.begin(), m_candidates.end(), [](const auto& a, const auto& b) {
                    return a.start != b.start ? a.start < b.start : a.end > b.end;
                });
            if (best->awaitingNext || best->start >= safe) return;
            const Candidate chosen = *best;
            emitRaw(chosen.start, sink);
            sink(m_a.patterns[static_cast<std::size_t>(chosen.pattern)].placeholder);
            ++m_replacements;
            m_flushed = chosen.end;
            std::erase_if(m_candidates, [&](const Candidate& c) { return c.start < chosen.end; });
        }
    }

    void emitRaw(std::uint64_t upTo, const Sink& sink)
    {
        if (upTo <= m_flushed) return;
        sink(std::string_view(m_pending).substr(m_flushed - m_pendingStart, upTo - m_flushed));
        m_flushed = upTo;
    }

    void compact()
    {
        if (m_flushed == m_pendingStart) return;
        m_before = static_cast<unsigned char>(m_pending[m_flushed - m_pendingStart - 1]);
        m_pending.erase(0, m_flushed - m_pendingStart);
        m_pendingStart = m_flushed;
    }

    const PatternAutomaton& m_a;
    std::uint32_t m_move = 0;  ///< as PatternAutomaton::moves holds it
    std::string m_pending;     ///< bytes from m_pendingStart on; those before m_flushed are passed on
    std::uint64_t m_pendingStart = 0, m_flushed = 0, m_position = 0;
    int m_before = -1;  ///< the original byte before m_pendingStart
    std::vector<Candidate> m_candidates;
    std::uint64_t m_replacements = 0;
};

/// Finds e-mail addresses in runs of address characters; everything else goes to the name stage.
class IdentityHider::EmailStage {
public:
    EmailStage(NameStage& names, Placeholders& placeholders, std::string keptEmail, bool keepLayout)
        : m_names(names), m_placeholders(placeholders), m_kept(asciiLowered(keptEmail)), m_keepLayout(keepLayout)
    {
    }

    void feed(std::string_view bytes, const Sink& sink)
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

    void finish(const Sink& sink)
    {
        endRun(sink, false);
        m_names.finish(sink);
    }

private:
    /// Where the longest address whose domain starts at `domain` ends (a run goes on after an
    /// address: "name@example.com’s"), 0 for none; the address, with a plain "@", in m_address.
    std::size_t addressEnd(std::string_view run, std::size_t local, std::size_t at, std::size_t domain, std::size_t end)
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
    void endRun(const Sink& sink, bool partial)
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
            while (local > from && at - local < kLongestLocal &&
                   isLocalByte(static_cast<unsigned char>(run[local - 1])))
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

    NameStage& m_names;
    Placeholders& m_placeholders;
    std::string m_kept;
    bool m_keepLayout;
    std::string m_run;  ///< a run of address characters that may hold "@", or the one still open
    std::string m_address;
    std::vector<std::size_t> m_ends;
    std::map<std::string, std::string, std::less<>> m_known;  ///< address → placeholder, "" to keep it
};

IdentityHider::IdentityHider(const platform::Identity& identity, std::string keptEmail, Placeholders& placeholders)
    : IdentityHider(hiddenValues(identity), std::move(keptEmail), placeholders)
{
}

IdentityHider::IdentityHider(const std::vector<HiddenValue>& values, std::string keptEmail, Placeholders& placeholders,
                             HiderForms forms)
    : m_automaton(std::make_unique<PatternAutomaton>()), m_placeholders(placeholders), m_keptEmail(std::move(keptEmail))
{
    // A value is also found as files write it: in other cases and normalisations, and escaped
    // (JSON, XML, a URL), always with the same placeholder.
    std::set<std::string> added;
    for (const HiddenValue& hidden : values) {
        const std::string& placeholder = placeholders.of(hidden.kind, hidden.value);
        for (const std::string& form : hidden.forms) {
            for (const std::string& spelling : unicodeSpellings(form)) {
                if (!added.insert(spelling).second) continue;
                m_automaton->add(spelling, placeholder, hidden.wholeWord);
                for (const std::string& escaped : escapedForms(spelling))
                    m_automaton->add(escaped, placeholder, hidden.wholeWord);
                m_spellings.push_back({spelling, placeholder, hidden.wholeWord});
            }
            if (forms == HiderForms::withoutNameVariants && hidden.kind == "name") break;
        }
    }
    m_automaton->build();
    m_text.names = std::make_unique<NameStage>(*m_automaton);
    m_text.emails = std::make_unique<EmailStage>(*m_text.names, placeholders, m_keptEmail, false);
}

IdentityHider::~IdentityHider() = default;

IdentityHider::Stages& IdentityHider::stages(Layout layout)
{
    if (layout == Layout::text) return m_text;
    if (!m_binary.names) {
        // Made when the first binary file comes: each value in UTF-8 and UTF-16, replaced by a
        // placeholder of its own length.
        m_binaryAutomaton = std::make_unique<PatternAutomaton>();
        for (const auto& [spelling, placeholder, wholeWord] : m_spellings) {
            m_binaryAutomaton->add(spelling, fitted(placeholder, spelling.size()), wholeWord);
            for (const bool bigEndian : {false, true}) {
                const std::string units = utf16(spelling, bigEndian);
                m_binaryAutomaton->add(units, utf16(fitted(placeholder, units.size() / 2), bigEndian), wholeWord);
            }
        }
        m_binaryAutomaton->build();
        m_binary.names = std::make_unique<NameStage>(*m_binaryAutomaton);
        m_binary.emails = std::make_unique<EmailStage>(*m_binary.names, m_placeholders, m_keptEmail, true);
    }
    return m_binary;
}

void IdentityHider::feed(std::string_view bytes, const Sink& sink, Layout layout)
{
    stages(layout).emails->feed(bytes, sink);
}
void IdentityHider::finish(const Sink& sink, Layout layout) { stages(layout).emails->finish(sink); }
std::uint64_t IdentityHider::replacements() const
{
    return m_text.names->replacements() + (m_binary.names ? m_binary.names->replacements() : 0);
}

std::string IdentityHider::hide(std::string_view text, Layout layout)
{
    std::string out;
    const Sink sink = [&out](std::string_view piece) { out.append(piece); };
    feed(text, sink, layout);
    finish(sink, layout);
    return out;
}

}  // namespace tarvix
