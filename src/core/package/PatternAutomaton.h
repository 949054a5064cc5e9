#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

/// `text` with ASCII letters in lower case; other bytes as they are.
std::string asciiLowered(std::string_view text);

/// An Aho-Corasick automaton over bytes, ASCII case-blind: every state has a move for every byte
/// and lists the patterns that end there. Written here because Debian packages no maintained C or
/// C++ multi-pattern matcher that streams with leftmost-longest replacement; the one
/// regular-expression engine that streams many patterns reports where matches end, not where they
/// start, and only on some CPUs.
struct PatternAutomaton {
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

    /// `wholeWord`: matched only between non-alphanumeric bytes (a value of one or two bytes). The
    /// same text added twice keeps its first placeholder.
    void add(const std::string& value, const std::string& placeholder, bool wholeWord);
    /// Turns the trie into the automaton; after it, nothing is added.
    void build();
};

}  // namespace tarvix
