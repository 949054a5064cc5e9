#include "core/package/PatternAutomaton.h"

namespace tarvix {

std::string asciiLowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

void PatternAutomaton::add(const std::string& value, const std::string& placeholder, bool wholeWord)
{
    const std::string key = asciiLowered(value);
    std::size_t state = 0;
    for (const char c : key) {
        const auto byte = static_cast<unsigned char>(c);
        columnOf[byte] = 1;
        std::int32_t child = 0;
        for (const auto& [b, s] : m_children[state])
            if (b == byte) child = s;
        if (child == 0) {
            child = static_cast<std::int32_t>(m_children.size());
            m_children[state].emplace_back(byte, child);
            m_children.emplace_back();
            depth.push_back(depth[state] + 1);
            outputs.emplace_back();
        }
        state = static_cast<std::size_t>(child);
    }
    if (!outputs[state].empty()) return;  // the same text for two values: the first one names it
    outputs[state].push_back(static_cast<std::int32_t>(patterns.size()));
    patterns.push_back({key.size(), placeholder, wholeWord});
}

/// Every state gets a move for every column, and the patterns that end in its longest proper
/// suffix (the failure state) as outputs too.
void PatternAutomaton::build()
{
    for (auto& column : columnOf)
        if (column != 0) column = static_cast<std::uint16_t>(columns++);
    for (unsigned c = 'A'; c <= 'Z'; ++c) columnOf[c] = columnOf[c + 32];
    const std::size_t states = m_children.size();
    std::vector<std::int32_t> next(states * columns, 0);
    std::vector<std::int32_t> failure(states, 0), queue;
    for (const auto& [byte, child] : m_children[0]) {
        next[columnOf[byte]] = child;
        queue.push_back(child);
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto state = static_cast<std::size_t>(queue[head]);
        const std::size_t fallback = static_cast<std::size_t>(failure[state]) * columns;
        for (std::size_t column = 0; column < columns; ++column)
            next[state * columns + column] = next[fallback + column];
        for (const auto& [byte, child] : m_children[state]) {
            const std::int32_t viaFailure = next[fallback + columnOf[byte]];
            next[state * columns + columnOf[byte]] = child;
            failure[static_cast<std::size_t>(child)] = viaFailure;
            auto& out = outputs[static_cast<std::size_t>(child)];
            const auto& inherited = outputs[static_cast<std::size_t>(viaFailure)];
            out.insert(out.end(), inherited.begin(), inherited.end());
            queue.push_back(child);
        }
    }
    moves.resize(next.size());
    for (std::size_t i = 0; i < next.size(); ++i) {
        const auto to = static_cast<std::size_t>(next[i]);
        moves[i] = static_cast<std::uint32_t>(to * columns * 2 + (outputs[to].empty() ? 0 : 1));
    }
    m_children = {};
}

}  // namespace tarvix
