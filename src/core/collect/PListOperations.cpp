#include "core/collect/PListOperations.h"

#include "core/base/Format.h"
#include "core/collect/LoggingSwitchRecord.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/collect/PreferenceFile.h"
#include "core/log/Logger.h"
#include "core/workspace/ConstantsFolder.h"
#include "core/workspace/CopyPrimitives.h"

namespace fs = std::filesystem;

namespace PListOperations {

tarvix::Guarded<std::optional<fs::path>> PListURL;
std::atomic<bool> PListUpdated{false};

namespace {

using namespace detail;

/// The "ScrivoLogging" value the file held before enable, written back at revert so the user's
/// own setting survives the session. Absent when there was none: revert then removes the key.
tarvix::Guarded<SharedPlistNode> ExistingScrivoLogPlist;

constexpr const char* kLoggingKey = "ScrivoLogging";

void failedToUpdate(const char* operation, const fs::path& file)
{
    Logger::logError(tarvix::format("%@ Failed to update plist. URL: %@", {operation, tarvix::pathText(file)}));
}

void addToPlist(const tarvix::Session& session)
{
    const auto url = PListURL.get();
    if (!url) return;
    auto document = readDictionaryPlist(*url);
    if (!document) return;

    const std::string& flavour = session.flavour;
    plist_t flavourDictionary = plist_dict_get_item(raw(document->root), flavour.c_str());
    bool switched = false;
    if (PLIST_IS_DICT(flavourDictionary)) {
        plist_t existing = plist_dict_get_item(flavourDictionary, kLoggingKey);
        const bool wasDictionary = PLIST_IS_DICT(existing);
        // Our own entry, left by a run whose record is gone, is not the user's: revert removes it.
        const SharedPlistNode earlier = isVerboseLoggingEntry(existing) ? nullptr : share(existing);
        ExistingScrivoLogPlist.set(earlier);
        // Recorded before the file changes: a crash between the two leaves a record that
        // restores what the file holds anyway.
        saveRecord(session.system, {*url, flavour, earlier});
        plist_dict_set_item(flavourDictionary, kLoggingKey, verboseLoggingEntry().release());
        Logger::logInfo(wasDictionary ? "Scrivologging dictionary updated" : "Scrivologging dictionary created");
        switched = true;
    }
    if (!writePlist(*document, *url)) {
        failedToUpdate("addToPlist", *url);
        if (switched) removeRecord(session.system);
    }
}

/// Puts `entry` back under the flavour's "ScrivoLogging" (removes the key when absent).
/// Answers whether the file was written; false too when it could not be read.
bool restoreEntry(const fs::path& file, const std::string& flavour, const SharedPlistNode& entry, const char* operation)
{
    auto document = readDictionaryPlist(file);
    if (!document) return false;
    plist_t flavourDictionary = plist_dict_get_item(raw(document->root), flavour.c_str());
    if (!PLIST_IS_DICT(flavourDictionary)) return false;
    if (entry)
        plist_dict_set_item(flavourDictionary, kLoggingKey, plist_copy(static_cast<plist_t>(entry.get())));
    else
        plist_dict_remove_item(flavourDictionary, kLoggingKey);
    if (!writePlist(*document, file)) {
        failedToUpdate(operation, file);
        return false;
    }
    return true;
}

void revert(const char* operation, const tarvix::Session& session)
{
    const auto url = PListURL.get();
    if (!url) {
        Logger::logWarning("RevertScrivoLogPList: logging was never switched on, nothing to revert.");
        return;
    }
    auto document = readDictionaryPlist(*url);
    if (!document) return;
    if (!PLIST_IS_DICT(plist_dict_get_item(raw(document->root), session.flavour.c_str()))) return;
    if (restoreEntry(*url, session.flavour, ExistingScrivoLogPlist.get(), operation)) {
        ExistingScrivoLogPlist.set(nullptr);
        removeRecord(session.system);
    }
    PListUpdated = false;
}

}  // namespace

void EnableScrivoLogging(bool isScrivologgingEnabled, const tarvix::Session& session)
{
    if (!isScrivologgingEnabled) return;
    if (!session.bundleIdentifier) return;
    const auto& preferences = session.preferences;
    if (!preferences) return;

    // A session of this run that never stopped (its window closed while monitoring) left the
    // switch on: put the user's entry back first, or it would be taken for the user's own.
    if (PListUpdated) {
        Logger::logInfo("Reverting the logging switch an earlier session left on.");
        revert("RevertScrivoLogPList", session);
    }
    const fs::path file = *preferences / (*session.bundleIdentifier + ".plist");
    Logger::logInfo(tarvix::format("%@ URL: %@", {"PropertyList", tarvix::pathText(file)}));
    PListURL.set(file);
    addToPlist(session);
    PListUpdated = true;
}

void RevertScrivoLogPList(bool isScrivologgingEnabled, const tarvix::Session& session)
{
    if (!isScrivologgingEnabled) return;
    revert("RevertScrivoLogPList", session);
}

void GetScrivoLogs(bool isScrivologgingEnabled, const tarvix::Session& session)
{
    if (!isScrivologgingEnabled) return;
    const auto& edition = session.edition;
    if (!edition) {
        Logger::logWarning("GetScrivoLogs: no edition chosen, the target's log folder was not copied.");
        return;
    }
    std::optional<fs::path> source;
    if (session.library)
        source = *session.library / tarvix::format(ConstantsFolder::ScrivologPath, {session.flavour, *edition});
    std::optional<fs::path> destination;
    if (session.output) destination = *session.output / "ScrivoLog";
    UtilityFunctions::copyItem(source, destination, session.collectionBudget.get());
}

void revertLeftoverLogging(const std::optional<fs::path>& systemFolder)
{
    const auto location = recordLocation(systemFolder);
    std::error_code error;
    if (!location || !fs::exists(*location, error)) return;
    // The record of this run's own switch, still on: not a leftover.
    if (PListUpdated) return;

    const auto record = loadRecord(*location);
    if (!record) {
        Logger::logWarning(
            tarvix::format("Unreadable logging switch record removed: %@", {tarvix::pathText(*location)}));
        removeRecord(systemFolder);
        return;
    }
    const auto document = readDictionaryPlist(record->preferenceFile);
    plist_t flavourDictionary = document ? plist_dict_get_item(raw(document->root), record->flavour.c_str()) : nullptr;
    // Only our own entry is reverted: a value the user set since then stays.
    if (!PLIST_IS_DICT(flavourDictionary) ||
        !isVerboseLoggingEntry(plist_dict_get_item(flavourDictionary, kLoggingKey))) {
        Logger::logInfo(
            tarvix::format("Logging switch left by an earlier run is no longer on, nothing reverted. URL: %@",
                           {tarvix::pathText(record->preferenceFile)}));
        removeRecord(systemFolder);
        return;
    }
    if (!restoreEntry(record->preferenceFile, record->flavour, record->earlierEntry, "revertLeftoverLogging")) return;
    Logger::logInfo(tarvix::format("Reverted the logging switch left on by an earlier run. URL: %@",
                                   {tarvix::pathText(record->preferenceFile)}));
    removeRecord(systemFolder);
}

void forgetStateForTesting()
{
    PListURL.set(std::nullopt);
    PListUpdated = false;
    ExistingScrivoLogPlist.set(nullptr);
}

}  // namespace PListOperations
