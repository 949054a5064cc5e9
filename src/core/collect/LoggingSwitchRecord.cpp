#include "core/collect/LoggingSwitchRecord.h"

#include <cerrno>
#include <system_error>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::PListOperations::detail {
namespace {

constexpr const char* kRecordName = "ScrivoLoggingSwitch.plist";

}  // namespace

Location recordLocation(const Location& systemFolder)
{
    if (!systemFolder) return std::nullopt;
    return *systemFolder / kRecordName;
}

tarvix::Status saveRecord(const LoggingSwitchRecord& record)
{
    const auto location = recordLocation(record.systemFolder);
    if (!location) {
        Logger::logWarning("The logging switch record could not be kept: no workspace.");
        return tarvix::Failure{"No workspace."};
    }
    PlistDocument document{PlistNode(plist_new_dict()), false};
    plist_dict_set_item(raw(document.root), "PreferenceFile", plist_new_string(record.preferenceFile.c_str()));
    plist_dict_set_item(raw(document.root), "Flavour", plist_new_string(record.flavour.c_str()));
    if (record.earlierEntry)
        plist_dict_set_item(raw(document.root), "EarlierEntry",
                            plist_copy(static_cast<plist_t>(record.earlierEntry.get())));
    // Tarvix's own file: owner-only, and a link planted in its place is replaced, not followed.
    const auto bytes = tarvix::encodePlist(document);
    const auto written = bytes ? platform::writeFileAtomically(*location, *bytes) : bytes.status();
    if (!written) {
        Logger::logError(tarvix::format("The logging switch record could not be written. URL: %@ Error: %@",
                                        {tarvix::pathText(*location), written.message()}));
        return written;
    }
    return {};
}

tarvix::Result<LoggingSwitchRecord> loadRecord(const fs::path& location)
{
    const auto document = readDictionaryPlist(location);
    if (!document) return document.failure();
    const auto file = tarvix::stringValue(raw(document->root), "PreferenceFile");
    const auto flavour = tarvix::stringValue(raw(document->root), "Flavour");
    if (!file || file->empty() || !flavour) return tarvix::Failure{"The record names no file or flavour.", EINVAL};
    return LoggingSwitchRecord{*file, *flavour, share(plist_dict_get_item(raw(document->root), "EarlierEntry")),
                               location.parent_path()};
}

tarvix::Status removeRecord(const Location& systemFolder)
{
    const auto location = recordLocation(systemFolder);
    if (!location) return {};
    std::error_code error;
    if (fs::remove(*location, error) || !error) return {};
    Logger::logWarning(tarvix::format("The logging switch record could not be removed. URL: %@ Error: %@",
                                      {tarvix::pathText(*location), tarvix::errorText(error)}));
    return tarvix::Failure{tarvix::errorText(error), error.value()};
}

}  // namespace tarvix::PListOperations::detail
