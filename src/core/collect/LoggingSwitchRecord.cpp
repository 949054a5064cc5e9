#include "core/collect/LoggingSwitchRecord.h"

#include <system_error>

#include "core/log/Format.h"
#include "core/log/Logger.h"
#include "core/workspace/UtilityFunctions.h"

namespace fs = std::filesystem;

namespace PListOperations::detail {
namespace {

constexpr const char* kRecordName = "ScrivoLoggingSwitch.plist";

std::optional<std::string> stringValue(plist_t dict, const char* key)
{
    plist_t value = plist_dict_get_item(dict, key);
    if (!PLIST_IS_STRING(value)) return std::nullopt;
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(value, &length);
    return text ? std::optional<std::string>(std::string(text, length)) : std::nullopt;
}

}  // namespace

std::optional<fs::path> recordLocation()
{
    const auto system = UtilityFunctions::tempSystemURL.get();
    if (!system) return std::nullopt;
    return *system / kRecordName;
}

bool saveRecord(const LoggingSwitchRecord& record)
{
    const auto location = recordLocation();
    if (!location) {
        Logger::logWarning("The logging switch record could not be kept: no workspace.");
        return false;
    }
    PlistDocument document{PlistNode(plist_new_dict()), false};
    plist_dict_set_item(raw(document.root), "PreferenceFile", plist_new_string(record.preferenceFile.c_str()));
    plist_dict_set_item(raw(document.root), "Flavour", plist_new_string(record.flavour.c_str()));
    if (record.earlierEntry)
        plist_dict_set_item(raw(document.root), "EarlierEntry",
                            plist_copy(static_cast<plist_t>(record.earlierEntry.get())));
    if (const auto failure = writePlist(document, *location)) {
        Logger::logError(tarvix::format("The logging switch record could not be written. URL: %@ Error: %@",
                                        {tarvix::pathText(*location), *failure}));
        return false;
    }
    return true;
}

std::optional<LoggingSwitchRecord> loadRecord(const fs::path& location)
{
    const auto document = readDictionaryPlist(location);
    if (!document) return std::nullopt;
    const auto file = stringValue(raw(document->root), "PreferenceFile");
    const auto flavour = stringValue(raw(document->root), "Flavour");
    if (!file || file->empty() || !flavour) return std::nullopt;
    return LoggingSwitchRecord{*file, *flavour, share(plist_dict_get_item(raw(document->root), "EarlierEntry"))};
}

void removeRecord()
{
    if (const auto location = recordLocation()) {
        std::error_code ignored;
        fs::remove(*location, ignored);
    }
}

}  // namespace PListOperations::detail
