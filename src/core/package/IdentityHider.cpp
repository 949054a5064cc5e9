#include "core/package/IdentityHider.h"

#include <algorithm>
#include <limits>

#include "core/package/EmailPattern.h"
#include "core/package/EscapedForms.h"

// The automaton is written here because Debian packages no maintained C or C++ multi-pattern
// matcher that streams with leftmost-longest replacement; the one regular-expression engine that
// streams many patterns reports where matches end, not where they start, and only on some CPUs.
namespace tarvix {
namespace {

constexpr bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
/// Part of a word for the whole-word rule: non-ASCII bytes belong to letters.
bool isWordByte(int c) { return c >= 0x80 || (c >= 0 && isAsciiAlnum(static_cast<unsigned char>(c))); }
unsigned char folded(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }
std::string foldedText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(folded(static_cast<unsigned char>(c)));
    return out;
}
/// The characters an e-mail address may hold (its domain may hold non-ASCII letters).
constexpr std::array<bool, 256> kAddressBytes = [] {
    std::array<bool, 256> table{};
    for (unsigned c = 0; c < 256; ++c)
        table[c] = isAsciiAlnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '_' || c == '.' ||
                   c == '@' || c >= 0x80;
    return table;
}();
bool isAddressByte(unsigned char c) { return kAddressBytes[c]; }
bool isLocalByte(unsigned char c) { return isAsciiAlnum(c) || c == '+' || c == '-' || c == '_' || c == '.'; }

/// A run of address characters longer than this is passed on in pieces (no real text has one).
constexpr std::size_t kRunCap = 64 * 1024;
/// How many shorter endings of a domain are tried ("name@example.com’s" ends before the ’).
constexpr int kDomainTries = 16;

}  // namespace

const std::string& Placeholders::of(const std::string& kind, const std::string& value)
{
    const auto key = std::pair{kind, kind == "email" ? foldedText(value) : value};
    if (const auto found = m_byValue.find(key); found != m_byValue.end()) return found->second;
    const std::string number = std::to_string(++m_counts[kind]);
    std::string placeholder = kind == "email" ? "email" + number + "@redacted.invalid" : kind + number;
    m_longest = std::max(m_longest, placeholder.size());
    m_mapping.emplace_back(placeholder, value);
    return m_byValue.emplace(key, std::move(placeholder)).first->second;
}

struct IdentityHider::Automaton {
    struct Pattern {
        std::size_t length;
        std::string placeholder;
        bool wholeWord;
    };
    std::vector<Pattern> patterns;
    std::vector<std::array<std::int32_t, 256>> next{std::array<std::int32_t, 256>{}};
    std::vector<std::size_t> depth{0};
    std::vector<std::vector<std::int32_t>> outputs{{}};
    std::vector<char> hasOutput;

    /// `wholeWord`: matched only between non-alphanumeric bytes (a value of one or two bytes).
    void add(const std::string& value, const std::string& placeholder, bool wholeWord)
    {
        const std::string key = foldedText(value);
        std::size_t state = 0;
        for (const char c : key) {
            const auto byte = static_cast<unsigned char>(c);
            if (next[state][byte] == 0) {
                const auto added = static_cast<std::int32_t>(next.size());
                next.push_back({});  // may move the rows: the new one is linked in after
                next[state][byte] = added;
                depth.push_back(depth[state] + 1);
                outputs.emplace_back();
            }
            state = static_cast<std::size_t>(next[state][byte]);
        }
        if (!outputs[state].empty()) return;  // the same text for two values: the first one names it
        outputs[state].push_back(static_cast<std::int32_t>(patterns.size()));
        patterns.push_back({key.size(), placeholder, wholeWord});
    }

    /// Turns the trie into the automaton: every state gets a move for every byte, and the
    /// patterns that end in its longest proper suffix (the failure state) as outputs too.
    void build()
    {
        std::vector<std::int32_t> failure(next.size(), 0), queue;
        for (auto child : next[0])
            if (child != 0) queue.push_back(child);
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const auto state = static_cast<std::size_t>(queue[head]);
            for (std::size_t c = 0; c < 256; ++c) {
                auto& slot = next[state][c];
                const std::int32_t viaFailure = next[static_cast<std::size_t>(failure[state])][c];
                if (slot == 0) {
                    slot = viaFailure;
                    continue;
                }
                failure[static_cast<std::size_t>(slot)] = viaFailure;
                auto& out = outputs[static_cast<std::size_t>(slot)];
                const auto& inherited = outputs[static_cast<std::size_t>(viaFailure)];
                out.insert(out.end(), inherited.begin(), inherited.end());
                queue.push_back(slot);
            }
        }
        for (auto& moves : next)
            for (unsigned c = 'A'; c <= 'Z'; ++c) moves[c] = moves[c + 32];
        for (const auto& out : outputs) hasOutput.push_back(!out.empty());
    }
};

/// Replaces the automaton's values, leftmost first, then longest.
class IdentityHider::NameStage {
public:
    explicit NameStage(const Automaton& automaton) : m_a(automaton) {}

    void feed(std::string_view bytes, const Sink& sink)
    {
        const std::size_t base = m_pending.size();
        m_pending.append(bytes);
        const auto* next = m_a.next.data();
        const auto* matches = m_a.hasOutput.data();
        for (std::size_t i = base; i < m_pending.size(); ++i) {
            const auto byte = static_cast<unsigned char>(m_pending[i]);
            m_state = static_cast<std::size_t>(next[m_state][byte]);
            ++m_position;
            // Candidates are rare: only then does a byte cost more than one move.
            if (!m_candidates.empty() || matches[m_state]) [[unlikely]] {
                --m_position;
                if (!m_candidates.empty()) resolveAwaiting(byte);
                ++m_position;
                if (matches[m_state]) addCandidates();
                if (!m_candidates.empty()) commitReady(m_position - m_a.depth[m_state], sink);
            }
        }
        std::uint64_t bound = m_position - m_a.depth[m_state];
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
        m_state = 0;
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
        for (const std::int32_t index : m_a.outputs[m_state]) {
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

    const Automaton& m_a;
    std::size_t m_state = 0;
    std::string m_pending;  ///< bytes from m_pendingStart on; those before m_flushed are passed on
    std::uint64_t m_pendingStart = 0, m_flushed = 0, m_position = 0;
    int m_before = -1;  ///< the original byte before m_pendingStart
    std::vector<Candidate> m_candidates;
    std::uint64_t m_replacements = 0;
};

/// Finds e-mail addresses in runs of address characters; everything else goes to the name stage.
class IdentityHider::EmailStage {
public:
    EmailStage(NameStage& names, Placeholders& placeholders, std::string keptEmail)
        : m_names(names), m_placeholders(placeholders), m_kept(foldedText(keptEmail))
    {
    }

    void feed(std::string_view bytes, const Sink& sink)
    {
        std::size_t i = 0;
        if (!m_run.empty()) {
            while (i < bytes.size() && isAddressByte(static_cast<unsigned char>(bytes[i]))) ++i;
            m_run.append(bytes.substr(0, i));
            if (i == bytes.size() && m_run.size() <= kRunCap) return;
            endRun(sink);
        }
        std::size_t passed = i, runStart = 0;
        bool inRun = false, runHasAt = false;
        for (; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (isAddressByte(byte)) {
                if (!inRun) runStart = i, runHasAt = false, inRun = true;
                runHasAt = runHasAt || byte == '@';
            } else if (inRun) {
                inRun = false;
                if (!runHasAt) continue;
                m_names.feed(bytes.substr(passed, runStart - passed), sink);
                m_run.assign(bytes.substr(runStart, i - runStart));
                endRun(sink);
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
        endRun(sink);
        m_names.finish(sink);
    }

private:
    void endRun(const Sink& sink)
    {
        const std::string_view run = m_run;
        std::size_t from = 0, searchFrom = 0;
        for (std::size_t at; (at = run.find('@', searchFrom)) != std::string_view::npos;) {
            searchFrom = at + 1;
            std::size_t local = at;
            while (local > from && isLocalByte(static_cast<unsigned char>(run[local - 1]))) --local;
            while (local < at && !isAsciiAlnum(static_cast<unsigned char>(run[local]))) ++local;
            std::size_t end = run.find('@', at + 1);
            if (end == std::string_view::npos) end = run.size();
            std::optional<std::size_t> found;
            const std::string* replacement = nullptr;
            for (int tries = 0; tries < kDomainTries && end > at + 1 && local < at; ++tries) {
                while (end > at + 1 && !isAsciiAlnum(static_cast<unsigned char>(run[end - 1]))) --end;
                if (end == at + 1) break;
                const std::string_view candidate = run.substr(local, end - local);
                // A log repeats its addresses: each is checked against the pattern once.
                if (const auto known = m_known.find(candidate); known != m_known.end()) {
                    found = end;
                    replacement = &known->second;
                    break;
                }
                if (tarvix::isValidEmail(candidate)) {
                    found = end;
                    const std::string hidden = foldedText(candidate) == m_kept
                                                   ? std::string()
                                                   : m_placeholders.of("email", std::string(candidate));
                    replacement = &m_known.emplace(std::string(candidate), hidden).first->second;
                    break;
                }
                while (end > at + 1 && isAsciiAlnum(static_cast<unsigned char>(run[end - 1]))) --end;
            }
            if (!found) continue;
            const std::string_view address = run.substr(local, *found - local);
            m_names.feed(run.substr(from, local - from), sink);
            if (replacement->empty())
                m_names.feed(address, sink);  // the address typed into the form stays
            else
                m_names.feedOpaque(*replacement, sink);
            from = searchFrom = *found;
        }
        m_names.feed(run.substr(from), sink);
        m_run.clear();
    }

    NameStage& m_names;
    Placeholders& m_placeholders;
    std::string m_kept;
    std::string m_run;  ///< a run of address characters holding "@", or the one still open
    std::map<std::string, std::string, std::less<>> m_known;  ///< address → placeholder, "" to keep it
};

IdentityHider::IdentityHider(const platform::Identity& identity, std::string keptEmail, Placeholders& placeholders)
    : IdentityHider(hiddenValues(identity), std::move(keptEmail), placeholders)
{
}

IdentityHider::IdentityHider(const std::vector<HiddenValue>& values, std::string keptEmail, Placeholders& placeholders,
                             HiderForms forms)
    : m_automaton(std::make_unique<Automaton>())
{
    // A value is also found where a file escaped it (JSON, XML, a URL): the same placeholder.
    for (const HiddenValue& hidden : values) {
        const std::string& placeholder = placeholders.of(hidden.kind, hidden.value);
        for (const std::string& form : hidden.forms) {
            m_automaton->add(form, placeholder, hidden.wholeWord);
            for (const std::string& escaped : escapedForms(form))
                m_automaton->add(escaped, placeholder, hidden.wholeWord);
            if (forms == HiderForms::withoutNameVariants && hidden.kind == "name") break;
        }
    }
    m_automaton->build();
    m_names = std::make_unique<NameStage>(*m_automaton);
    m_emails = std::make_unique<EmailStage>(*m_names, placeholders, std::move(keptEmail));
}

IdentityHider::~IdentityHider() = default;

void IdentityHider::feed(std::string_view bytes, const Sink& sink) { m_emails->feed(bytes, sink); }
void IdentityHider::finish(const Sink& sink) { m_emails->finish(sink); }
std::uint64_t IdentityHider::replacements() const { return m_names->replacements(); }

std::string IdentityHider::hide(std::string_view text)
{
    std::string out;
    const Sink sink = [&out](std::string_view piece) { out.append(piece); };
    feed(text, sink);
    finish(sink);
    return out;
}

}  // namespace tarvix
