#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/package/NameStage.h"
#include "core/package/Placeholders.h"

namespace tarvix {

/// Finds e-mail addresses other than the kept one in runs of address characters (their "@" as it
/// is or escaped) and replaces them; everything else goes on to the name stage. Keeps at most the
/// tail of one run between calls.
class EmailStage {
public:
    /// `keepLayout`: a placeholder takes exactly the address's bytes.
    EmailStage(NameStage& names, Placeholders& placeholders, const std::string& keptEmail, bool keepLayout);

    void feed(std::string_view bytes, const HiderSink& sink);
    void finish(const HiderSink& sink);

private:
    std::size_t addressEnd(std::string_view run, std::size_t local, std::size_t at, std::size_t domain,
                           std::size_t end);
    void endRun(const HiderSink& sink, bool partial);

    NameStage& m_names;
    Placeholders& m_placeholders;
    std::string m_kept;
    bool m_keepLayout;
    std::string m_run;  ///< a run of address characters that may hold "@", or the one still open
    std::string m_address;
    std::vector<std::size_t> m_ends;
    std::map<std::string, std::string, std::less<>> m_known;  ///< address → placeholder, "" to keep it
};

}  // namespace tarvix
