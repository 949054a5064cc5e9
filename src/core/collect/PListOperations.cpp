#include "core/collect/PListOperations.h"

#include <mutex>

#include "base/Format.h"
#include "core/collect/LoggingSwitchRecord.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/log/Logger.h"
#include "core/workspace/ConstantsFolder.h"
#include "core/workspace/CopyPrimitives.h"

namespace fs = std::filesystem;

namespace tarvix::PListOperations {

namespace {

using namespace detail;
using Switch = std::shared_ptr<const LoggingSwitchRecord>;
using Done = SwitchOutcome::Done;

/// Enable, revert and the start-up's clean-up take turns: a closed window's capture run may
/// revert while a new window's start switches.
std::mutex switchMutex;
/// The switch that is on, as the session that turned it on holds it: its file, its flavour and
/// the entry revert writes back. Null while none is on. Guarded by switchMutex. Process-wide
/// because the preference file is: a session whose window closed while monitoring still holds
/// its switch, and the next session's start must revert it before switching its own on.
Switch ExistingScrivoLogPlist;

constexpr const char* kLoggingKey = "ScrivoLogging";

void failedToUpdate(const char* operation, const fs::path& file)
{
    Logger::logError(tarvix::format("%@ Failed to update plist. URL: %@", {operation, tarvix::pathText(file)}));
}

plist_t flavourDictionary(plist_t root, const std::string& flavour)
{
    plist_t dictionary = plist_dict_get_item(root, flavour.c_str());
    return PLIST_IS_DICT(dictionary) ? dictionary : nullptr;
}

/// Puts the switch's earlier entry back (removes the key when there was none). With `onlyOurs` a
/// value other than our entry (the user set one since) stays. A file that is gone holds nothing
/// of ours; one that cannot be read or written keeps the switch on record (unreadable, failed).
Edit restore(const LoggingSwitchRecord& record, bool onlyOurs, const char* operation)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(record.preferenceFile, error))) return Edit::unchanged;
    const auto entry = static_cast<plist_t>(record.earlierEntry.get());
    const Edit outcome = editPlist(record.preferenceFile, [&](plist_t root) {
        plist_t dictionary = flavourDictionary(root, record.flavour);
        if (!dictionary) return false;
        plist_t now = plist_dict_get_item(dictionary, kLoggingKey);
        if ((onlyOurs && !isVerboseLoggingEntry(now)) || samePlist(now, entry)) return false;
        if (entry)
            plist_dict_set_item(dictionary, kLoggingKey, plist_copy(entry));
        else
            plist_dict_remove_item(dictionary, kLoggingKey);
        return true;
    });
    if (outcome == Edit::failed) failedToUpdate(operation, record.preferenceFile);
    return outcome;
}

bool done(Edit outcome) { return outcome == Edit::written || outcome == Edit::unchanged; }

tarvix::Failure stillOn(const fs::path& file)
{
    return tarvix::Failure{"The logging switch could not be reverted: " + tarvix::pathText(file)};
}

SwitchOutcome revertedBy(Edit outcome) { return {outcome == Edit::written ? Done::reverted : Done::nothingToRevert}; }

/// Reverts the switch that is on. On failure it stays on, and on record for the next start-up.
SwitchResult revertExisting(const char* operation)
{
    const Edit outcome = restore(*ExistingScrivoLogPlist, false, operation);
    if (!done(outcome)) return stillOn(ExistingScrivoLogPlist->preferenceFile);
    // A record that stays is reverted again at the next start-up: it finds nothing of ours.
    removeRecord(ExistingScrivoLogPlist->systemFolder).absorb();
    ExistingScrivoLogPlist = nullptr;
    return revertedBy(outcome);
}

/// What became of an earlier run's record: `standing` while it stands (its file could not be read
/// or written).
struct Leftover {
    Switch standing;
    SwitchOutcome outcome{Done::nothingToRevert};
};

/// A record of a run that ended without reverting: reverted when the file still holds our entry.
Leftover revertLeftover(const std::optional<fs::path>& systemFolder)
{
    const auto location = recordLocation(systemFolder);
    std::error_code error;
    if (!location || !fs::exists(*location, error)) return {};
    auto record = loadRecord(*location);
    if (!record) {
        Logger::logWarning(
            tarvix::format("Unreadable logging switch record removed: %@", {tarvix::pathText(*location)}));
        removeRecord(systemFolder).absorb();
        return {};
    }
    const Edit outcome = restore(*record, true, "revertLeftoverLogging");
    if (!done(outcome)) return {std::make_shared<const LoggingSwitchRecord>(std::move(*record))};
    Logger::logInfo(tarvix::format(
        outcome == Edit::written ? "Reverted the logging switch left on by an earlier run. URL: %@"
                                 : "Logging switch left by an earlier run is no longer on, nothing reverted. URL: %@",
        {tarvix::pathText(record->preferenceFile)}));
    removeRecord(systemFolder).absorb();
    return {nullptr, revertedBy(outcome)};
}

/// What one run of switching on found in the file and did.
struct SwitchEdit {
    enum class Found { noDictionary, unrecorded, switched } found = Found::noDictionary;
    /// The flavour already had a "ScrivoLogging" dictionary.
    bool existed = false;
    /// The file needs our entry (it held another value, or none).
    bool changes = false;
    /// The switch as recorded; only when switched.
    Switch record;
};

/// Records the switch for the file's root as it is now; the entry goes in when `changes`. `kept`:
/// an earlier switch of the same file and flavour whose revert failed.
SwitchEdit switchIn(plist_t root, const tarvix::Session& session, const fs::path& file, const Switch& kept)
{
    plist_t dictionary = flavourDictionary(root, session.flavour);
    if (!dictionary) return {};
    plist_t existing = plist_dict_get_item(dictionary, kLoggingKey);
    const bool ours = isVerboseLoggingEntry(existing);
    // Our own entry is never the user's: it is the kept switch's, or one left by a run whose
    // record is gone (then revert removes it).
    SharedPlistNode earlier = !ours ? share(existing) : kept ? kept->earlierEntry : nullptr;
    auto record = std::make_shared<const LoggingSwitchRecord>(
        LoggingSwitchRecord{file, session.flavour, std::move(earlier), session.system});
    // Recorded before the file changes: a crash between the two leaves a record that restores
    // what the file holds anyway.
    if (!saveRecord(*record)) return {SwitchEdit::Found::unrecorded, false, false, nullptr};
    return {SwitchEdit::Found::switched, PLIST_IS_DICT(existing), !ours, std::move(record)};
}

/// Switches the session's target on. `kept`: an earlier switch whose revert failed; the entry it
/// replaced is still the user's.
SwitchResult addToPlist(const tarvix::Session& session, const fs::path& file, const Switch& kept)
{
    const std::string& flavour = session.flavour;
    const bool sameSwitch = kept && kept->preferenceFile == file && kept->flavour == flavour;
    if (kept && !sameSwitch) {
        // Its record would be overwritten, and with it the user's entry in that file.
        Logger::logError(tarvix::format(
            "addToPlist: an earlier logging switch could not be reverted, logging not switched on. URL: %@",
            {tarvix::pathText(kept->preferenceFile)}));
        return stillOn(kept->preferenceFile);
    }
    SwitchEdit edit;
    bool recorded = false;  // by any run of the edit: a record is on disk
    const Edit outcome = editPlist(file, [&](plist_t root) {
        edit = switchIn(root, session, file, kept);
        recorded = recorded || edit.found == SwitchEdit::Found::switched;
        if (edit.changes)
            plist_dict_set_item(plist_dict_get_item(root, flavour.c_str()), kLoggingKey,
                                verboseLoggingEntry().release());
        return edit.changes;
    });
    if (edit.found == SwitchEdit::Found::unrecorded) {
        Logger::logError(
            tarvix::format("addToPlist: no record of the switch could be kept, logging not switched on. URL: %@",
                           {tarvix::pathText(file)}));
        return tarvix::Failure{"No record of the switch could be kept."};
    }
    const bool switched = edit.found == SwitchEdit::Found::switched;
    if (!switched || !done(outcome)) {
        if (switched) failedToUpdate("addToPlist", file);
        // The kept switch's record (the same one) stays; a new one goes.
        if (recorded && !kept) removeRecord(session.system).absorb();
        if (!switched && outcome == Edit::unchanged)
            Logger::logWarning(tarvix::format("addToPlist: no dictionary for %@, logging not switched on. URL: %@",
                                              {flavour, tarvix::pathText(file)}));
        return tarvix::Failure{"Logging not switched on: " + tarvix::pathText(file)};
    }
    Logger::logInfo(edit.existed ? "Scrivologging dictionary updated" : "Scrivologging dictionary created");
    ExistingScrivoLogPlist = edit.record;
    return SwitchOutcome{edit.changes ? Done::switchedOn : Done::alreadyOn, std::move(edit.record)};
}

}  // namespace

SwitchResult EnableScrivoLogging(const tarvix::Session& session)
{
    const auto& preferences = session.preferences;
    if (!session.bundleIdentifier || !preferences) return tarvix::Failure{"No target was chosen."};

    const fs::path file = *preferences / (*session.bundleIdentifier + ".plist");
    Logger::logInfo(tarvix::format("%@ URL: %@", {"PropertyList", tarvix::pathText(file)}));
    std::lock_guard lock(switchMutex);
    Switch kept;
    if (ExistingScrivoLogPlist) {
        // A session that never stopped (its window closed while monitoring) still holds the
        // switch: its own record puts the user's entry back first.
        Logger::logInfo("Reverting the logging switch an earlier session left on.");
        if (!revertExisting("RevertScrivoLogPList")) kept = ExistingScrivoLogPlist;
    } else {
        kept = revertLeftover(session.system).standing;
    }
    return addToPlist(session, file, kept);
}

SwitchResult RevertScrivoLogPList(const tarvix::Session& session)
{
    if (!session.loggingSwitch) {
        Logger::logWarning("RevertScrivoLogPList: logging was never switched on, nothing to revert.");
        return SwitchOutcome{Done::nothingToRevert};
    }
    std::lock_guard lock(switchMutex);
    if (ExistingScrivoLogPlist != session.loggingSwitch) {
        Logger::logInfo("RevertScrivoLogPList: a later session's start already reverted this session's switch.");
        return SwitchOutcome{Done::nothingToRevert};
    }
    return revertExisting("RevertScrivoLogPList");
}

tarvix::Status GetScrivoLogs(const tarvix::Session& session)
{
    const auto& edition = session.edition;
    if (!edition) {
        Logger::logWarning("GetScrivoLogs: no edition chosen, the target's log folder was not copied.");
        return tarvix::Failure{"No edition was chosen."};
    }
    std::optional<fs::path> source;
    if (session.library)
        source = *session.library / tarvix::format(ConstantsFolder::ScrivologPath, {session.flavour, *edition});
    std::optional<fs::path> destination;
    if (session.output) destination = *session.output / "ScrivoLog";
    auto copied = UtilityFunctions::copyItem(source, destination, session.collectionBudget.get());
    return UtilityFunctions::isMissingSource(copied) ? tarvix::Status() : copied;
}

SwitchResult revertLeftoverLogging(const std::optional<fs::path>& systemFolder)
{
    std::lock_guard lock(switchMutex);
    // The record of this run's own switch, still on: not a leftover.
    if (ExistingScrivoLogPlist) return SwitchOutcome{Done::nothingToRevert};
    const Leftover leftover = revertLeftover(systemFolder);
    if (leftover.standing) return stillOn(leftover.standing->preferenceFile);
    return leftover.outcome;
}

bool switchedOnForTesting()
{
    std::lock_guard lock(switchMutex);
    return ExistingScrivoLogPlist != nullptr;
}

void forgetStateForTesting()
{
    std::lock_guard lock(switchMutex);
    ExistingScrivoLogPlist = nullptr;
}

}  // namespace tarvix::PListOperations
