#include "core/pending/ReportList.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace tarvix::pending {

using nlohmann::ordered_json;

namespace {

constexpr std::size_t kListLimit = 4 << 20;

std::optional<ListedReport> entryOf(const ordered_json& json)
{
    if (!json.is_object()) return std::nullopt;
    const auto text = [&json](const char* name) {
        const auto found = json.find(name);
        return found != json.end() && found->is_string() ? std::optional(found->get<std::string>()) : std::nullopt;
    };
    const auto number = [&json](const char* name) {
        const auto found = json.find(name);
        return found != json.end() && found->is_number_integer() ? std::optional(found->get<std::int64_t>())
                                                                 : std::nullopt;
    };
    const auto session = text("session"), logId = text("logId"), state = text("state");
    const auto date = number("date"), size = number("size");
    if (!session || !isSessionName(*session) || !logId || !isLogId(*logId) || !state || !stateNamed(*state) || !date ||
        !size || *size < 0)
        return std::nullopt;
    ListedReport report{*session, *date, static_cast<std::uint64_t>(*size), *stateNamed(*state), *logId, {}};
    if (report.state == ReportState::pending) report.nextAttempt = number("nextAttempt");
    return report;
}

}  // namespace

std::vector<ListedReport> ReportList::read(const platform::PrivateFolder& folder)
{
    std::vector<ListedReport> reports;
    const auto text = folder.readOwnFile(kFileName, kListLimit);
    if (!text) return reports;
    const ordered_json json = ordered_json::parse(*text, nullptr, false);
    if (!json.is_array()) return reports;
    for (const auto& item : json)
        if (auto entry = entryOf(item)) reports.push_back(std::move(*entry));
    return reports;
}

tarvix::Status ReportList::write(const platform::PrivateFolder& folder, const std::vector<ListedReport>& reports)
{
    ordered_json json = ordered_json::array();
    for (const ListedReport& report : reports) {
        ordered_json entry{{"session", report.session},
                           {"date", report.date},
                           {"size", report.size},
                           {"state", stateName(report.state)},
                           {"logId", report.logId}};
        if (report.nextAttempt) entry["nextAttempt"] = *report.nextAttempt;
        json.push_back(std::move(entry));
    }
    return folder.writeAtomically(kFileName, json.dump(2) + "\n");
}

tarvix::Status ReportList::put(const platform::PrivateFolder& folder, const PendingRecord& record)
{
    std::vector<ListedReport> reports = read(folder);
    ListedReport entry{record.session, record.firstFailure, record.size, record.state, record.logId, std::nullopt};
    if (record.state == ReportState::pending) entry.nextAttempt = record.nextAttempt;
    const auto same = std::find_if(reports.begin(), reports.end(),
                                   [&](const ListedReport& listed) { return listed.session == record.session; });
    if (same != reports.end())
        *same = std::move(entry);
    else
        reports.push_back(std::move(entry));
    return write(folder, reports);
}

tarvix::Status ReportList::drop(const platform::PrivateFolder& folder, std::string_view session)
{
    std::vector<ListedReport> reports = read(folder);
    std::erase_if(reports, [&](const ListedReport& listed) { return listed.session == session; });
    return write(folder, reports);
}

}  // namespace tarvix::pending
