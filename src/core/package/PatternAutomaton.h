#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvix {

/// `text` with ASCII letters in lower case; other bytes as they are.
std::string asciiLowered(std::string_view text);

/// An Aho-Corasick automaton over bytes, ASCII case-blind: every state has a move for every byte
/// and lists the patterns that end there. Its table has a column per byte the patterns hold (one
/// more for all others), so many written forms of a value cost little memory. Written here because
/// Debian packages no maintained C or C++ multi-pattern matcher that streams with leftmost-longest
/// replacement; the one regular-expression engine that streams many patterns reports where
/// matches end, not where they start, and only on some CPUs.
struct PatternAutomaton {
    struct Pattern {
        std::size_t length;
        std::string placeholder;
        bool wholeWord;
    };
    std::vector<Pattern> patterns;
    std::array<std::uint16_t, 256> columnOf{};  ///< 0: a byte no pattern holds
    std::size_t columns = 1;
    /// At state * columns + column: the next state times columns, doubled, plus one where a
    /// pattern ends there (a byte costs one load from a small table and one from this).
    std::vector<std::uint32_t> moves;
    std::vector<std::size_t> depth{0};
    std::vector<std::vector<std::int32_t>> outputs{{}};

    /// `wholeWord`: matched only between non-alphanumeric bytes (a value of one or two bytes). The
    /// same text added twice keeps its first placeholder.
    void add(const std::string& value, const std::string& placeholder, bool wholeWord);
    /// Turns the trie into the automaton; after it, nothing is added.
    void build();
    std::uint32_t step(std::uint32_t move, unsigned char byte) const { return moves[(move >> 1) + columnOf[byte]]; }
    std::size_t stateOf(std::uint32_t move) const { return (move >> 1) / columns; }

private:
    std::vector<std::vector<std::pair<unsigned char, std::int32_t>>> m_children{{}};  ///< the trie
};

}  // namespace tarvix
