#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

struct PatternAutomaton;

/// Where hidden text goes, in pieces.
using HiderSink = std::function<void(std::string_view)>;

/// Replaces an automaton's values in a stream, leftmost first, then longest; a whole-word value
/// only where no word byte stands on either side. Keeps at most the longest value between calls.
class NameStage {
public:
    explicit NameStage(const PatternAutomaton& automaton) : m_a(automaton) {}

    void feed(std::string_view bytes, const HiderSink& sink);
    /// Ends the stream; `nextByte` is the byte that follows it (-1: none).
    void finish(const HiderSink& sink, int nextByte = -1);
    /// Text that is already hidden (an address's placeholder): passed on as it is.
    void feedOpaque(std::string_view text, const HiderSink& sink);
    std::uint64_t replacements() const { return m_replacements; }

private:
    struct Candidate {
        std::uint64_t start, end;
        std::int32_t pattern;
        bool awaitingNext;
    };

    int byteAt(std::uint64_t offset) const;
    void resolveAwaiting(unsigned char byte);
    void addCandidates();
    void commitReady(std::uint64_t safe, const HiderSink& sink);
    void emitRaw(std::uint64_t upTo, const HiderSink& sink);
    void compact();

    const PatternAutomaton& m_a;
    std::uint32_t m_move = 0;  ///< as PatternAutomaton::moves holds it
    std::string m_pending;     ///< bytes from m_pendingStart on; those before m_flushed are passed on
    std::uint64_t m_pendingStart = 0, m_flushed = 0, m_position = 0;
    int m_before = -1;  ///< the original byte before m_pendingStart
    std::vector<Candidate> m_candidates;
    std::uint64_t m_replacements = 0;
};

}  // namespace tarvix
