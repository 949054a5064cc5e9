#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tarvix {

/// The placeholders of one share: the same value always gets the same one ("user1", "host1",
/// "email1@redacted.invalid" ...), numbered per kind in the order they are first needed.
class Placeholders {
public:
    /// `kind` is a HiddenValue's or "email"; e-mail addresses compare case-blind.
    const std::string& of(const std::string& kind, const std::string& value);
    /// (placeholder, real value) in the order they were made.
    const std::vector<std::pair<std::string, std::string>>& mapping() const { return m_mapping; }
    std::size_t longest() const { return m_longest; }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_byValue;
    std::map<std::string, int> m_counts;
    std::vector<std::pair<std::string, std::string>> m_mapping;
    std::size_t m_longest = 0;
};

}  // namespace tarvix
