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

/// Every state gets a move for every byte, and the patterns that end in its longest proper suffix
/// (the failure state) as outputs too.
void PatternAutomaton::build()
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

}  // namespace tarvix
