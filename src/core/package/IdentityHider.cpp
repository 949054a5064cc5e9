#include "core/package/IdentityHider.h"

#include <set>

#include "core/package/EmailStage.h"
#include "core/package/EscapedForms.h"
#include "core/package/NameStage.h"
#include "core/package/PatternAutomaton.h"
#include "core/package/ValueForms.h"

namespace tarvix {

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
