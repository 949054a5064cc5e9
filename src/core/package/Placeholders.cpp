#include "core/package/Placeholders.h"

#include <algorithm>

#include "core/package/PatternAutomaton.h"

namespace tarvix {

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

}  // namespace tarvix
