#include "core/pending/PendingRecord.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

namespace tarvix::pending {

using nlohmann::ordered_json;

bool isSessionName(std::string_view name)
{
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
    });
}

bool isLogId(std::string_view text)
{
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = text[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::string archiveNameFor(std::string_view logId) { return "scrivoMacLog_" + std::string(logId) + "_abc.zip"; }

std::string stateName(ReportState state)
{
    switch (state) {
    case ReportState::pending: return "pending";
    case ReportState::sent: return "sent";
    case ReportState::givenUp: return "given up";
    }
    return "pending";
}

std::optional<ReportState> stateNamed(std::string_view name)
{
    for (ReportState state : {ReportState::pending, ReportState::sent, ReportState::givenUp})
        if (stateName(state) == name) return state;
    return std::nullopt;
}

std::string toJson(const PendingRecord& record)
{
    ordered_json json{{"session", record.session},           {"logId", record.logId},
                      {"archive", record.archive},           {"size", record.size},
                      {"firstFailure", record.firstFailure}, {"attempts", record.attempts},
                      {"nextAttempt", record.nextAttempt},   {"state", stateName(record.state)}};
    return json.dump(2) + "\n";
}

tarvix::Result<PendingRecord> parseRecord(std::string_view text)
{
    const ordered_json json = ordered_json::parse(text, nullptr, false);
    if (!json.is_object()) return tarvix::Failure{"not a JSON object"};
    const auto field = [&json](const char* name, auto check) {
        const auto found = json.find(name);
        return found != json.end() && check(*found);
    };
    const auto isText = [](const ordered_json& v) { return v.is_string(); };
    const auto isCount = [](const ordered_json& v) { return v.is_number_unsigned(); };
    const auto isNumber = [](const ordered_json& v) { return v.is_number_integer(); };
    for (const char* name : {"session", "logId", "archive", "state"})
        if (!field(name, isText)) return tarvix::Failure{std::string("no text \"") + name + "\""};
    for (const char* name : {"size", "attempts"})
        if (!field(name, isCount)) return tarvix::Failure{std::string("no count \"") + name + "\""};
    for (const char* name : {"firstFailure", "nextAttempt"})
        if (!field(name, isNumber)) return tarvix::Failure{std::string("no time \"") + name + "\""};

    PendingRecord record;
    record.session = json["session"].get<std::string>();
    record.logId = json["logId"].get<std::string>();
    record.archive = json["archive"].get<std::string>();
    record.size = json["size"].get<std::uint64_t>();
    record.firstFailure = json["firstFailure"].get<std::int64_t>();
    record.attempts = static_cast<int>(std::min<std::uint64_t>(json["attempts"].get<std::uint64_t>(), 1000000));
    record.nextAttempt = json["nextAttempt"].get<std::int64_t>();
    const auto state = stateNamed(json["state"].get<std::string>());
    if (!state) return tarvix::Failure{"an unknown state"};
    record.state = *state;
    if (!isSessionName(record.session)) return tarvix::Failure{"not a session name"};
    if (!isLogId(record.logId)) return tarvix::Failure{"not a Log ID"};
    // The archive's name is the packaging's, never a path of the record's choosing.
    if (record.archive != archiveNameFor(record.logId)) return tarvix::Failure{"not the archive of its Log ID"};
    return record;
}

}  // namespace tarvix::pending
