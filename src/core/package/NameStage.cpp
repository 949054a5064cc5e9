#include "core/package/NameStage.h"

#include <algorithm>
#include <limits>

#include "core/package/PatternAutomaton.h"

namespace tarvix {
namespace {

/// Part of a word for the whole-word rule: non-ASCII bytes belong to letters.
bool isWordByte(int c)
{
    return c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

void NameStage::feed(std::string_view bytes, const HiderSink& sink)
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

void NameStage::finish(const HiderSink& sink, int nextByte)
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

void NameStage::feedOpaque(std::string_view text, const HiderSink& sink)
{
    finish(sink, static_cast<unsigned char>(text.front()));
    sink(text);
    ++m_replacements;
    m_before = static_cast<unsigned char>(text.back());
}

/// The original byte at `offset`, -1 before the stream.
int NameStage::byteAt(std::uint64_t offset) const
{
    if (offset >= m_pendingStart) return static_cast<unsigned char>(m_pending[offset - m_pendingStart]);
    return offset + 1 == m_pendingStart ? m_before : -1;
}

void NameStage::resolveAwaiting(unsigned char byte)
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

void NameStage::addCandidates()
{
    for (const std::int32_t index : m_a.outputs[m_a.stateOf(m_move)]) {
        const auto& pattern = m_a.patterns[static_cast<std::size_t>(index)];
        const std::uint64_t start = m_position - pattern.length;
        if (start < m_flushed) continue;
        if (pattern.wholeWord && start > 0 && isWordByte(byteAt(start - 1))) continue;
        m_candidates.push_back({start, m_position, index, pattern.wholeWord});
    }
}

/// Replaces the leftmost-longest candidate while no later byte can give a longer one at or before
/// its start (`safe`: where the earliest match still to come may start).
void NameStage::commitReady(std::uint64_t safe, const HiderSink& sink)
{
    while (!m_candidates.empty()) {
        const auto best = std::min_element(m_candidates.begin(), m_candidates.end(), [](const auto& a, const auto& b) {
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

void NameStage::emitRaw(std::uint64_t upTo, const HiderSink& sink)
{
    if (upTo <= m_flushed) return;
    sink(std::string_view(m_pending).substr(m_flushed - m_pendingStart, upTo - m_flushed));
    m_flushed = upTo;
}

void NameStage::compact()
{
    if (m_flushed == m_pendingStart) return;
    m_before = static_cast<unsigned char>(m_pending[m_flushed - m_pendingStart - 1]);
    m_pending.erase(0, m_flushed - m_pendingStart);
    m_pendingStart = m_flushed;
}

}  // namespace tarvix
