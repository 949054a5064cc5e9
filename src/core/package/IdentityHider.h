#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Status.h"
#include "core/package/HiddenValues.h"
#include "core/package/Placeholders.h"
#include "platform/Identity.h"

namespace tarvix {

struct PatternAutomaton;
class NameStage;
class EmailStage;

/// Replaces the user's identity in a stream of bytes: the known values (login name, real name,
/// home folder, host names) in the forms files write them (ValueForms, EscapedForms) through one
/// Aho-Corasick automaton, leftmost and then longest match first, ASCII case-blind; e-mail
/// addresses other than `keptEmail`, their "@" as it is or escaped, through a scan of the runs of
/// characters an address may hold, each checked against the support e-mail pattern. Values of
/// one or two characters are replaced only as whole words (bounded by anything but ASCII letters,
/// digits and non-ASCII bytes). Works in bounded memory: it keeps at most the longest value, or
/// the tail of one run of address characters, between calls.
class IdentityHider {
public:
    IdentityHider(const platform::Identity& identity, std::string keptEmail, Placeholders& placeholders);
    IdentityHider(const std::vector<HiddenValue>& values, std::string keptEmail, Placeholders& placeholders,
                  HiderForms forms = HiderForms::all);
    ~IdentityHider();
    IdentityHider(const IdentityHider&) = delete;
    IdentityHider& operator=(const IdentityHider&) = delete;

    using Sink = std::function<void(std::string_view)>;
    /// How a stream is written back: as text, or as a binary file whose layout stays (each
    /// occurrence, in UTF-8 and UTF-16, replaced by a placeholder of the same byte length).
    enum class Layout { text, kept };
    /// One stream at a time: feed its bytes in pieces of any size, then finish it.
    void feed(std::string_view bytes, const Sink& sink, Layout layout = Layout::text);
    void finish(const Sink& sink, Layout layout = Layout::text);
    /// A whole text (a name, a property list string).
    std::string hide(std::string_view text, Layout layout = Layout::text);
    /// Replacements made since construction.
    std::uint64_t replacements() const;

private:
    struct Stages {
        std::unique_ptr<NameStage> names;
        std::unique_ptr<EmailStage> emails;
    };
    struct Spelling {
        std::string text, placeholder;
        bool wholeWord;
    };
    Stages& stages(Layout layout);

    std::unique_ptr<PatternAutomaton> m_automaton, m_binaryAutomaton;
    Placeholders& m_placeholders;
    std::string m_keptEmail;
    std::vector<Spelling> m_spellings;
    Stages m_text, m_binary;
};

}  // namespace tarvix
