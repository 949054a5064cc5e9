#include <gtest/gtest.h>

#include <fstream>

#include "core/collect/PListOperations.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/target/InstallationDiscovery.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::PlistFormat;

namespace {

/// Everything in the file except the QX flavour's "ScrivoLogging", as plistlib sees it.
const std::string kEverythingElse =
    "{k: ({kk: vv for kk, vv in v.items() if kk != 'ScrivoLogging'} if k == 'QX' else v) for k, v in d.items()}";
const std::string kEntry = "d['QX'].get('ScrivoLogging')";
const std::string kVerboseEntry = "{'EnableScrivoLogging': [10, 7]}";

/// The start flow's state for the full edition of flavour QX, preference file in `format`.
struct TargetSession {
    explicit TargetSession(PlistFormat format, bool userLoggingEntry = false)
    {
        sample::install(sandbox.root(), {.preferencesFormat = format, .userLoggingEntry = userLoggingEntry});
        EXPECT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
        UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});
        UtilityFunctions::flavour.set("QX");
        UtilityFunctions::scrivoOrGlance.set("Scrivo");
        preferences = sandbox.library() / "Preferences" / "com.norvane.Scrivo.Pro.plist";
        record = sandbox.library() / "Tarvix" / "System" / "ScrivoLoggingSwitch.plist";
    }
    ~TargetSession() { PListOperations::forgetStateForTesting(); }

    /// The session the shared values describe at this moment.
    Session now() const { return sessionFromSharedValues(); }

    std::vector<std::string> newLines(std::size_t since) const
    {
        const auto lines = sandbox.logMessages();
        return {lines.begin() + static_cast<long>(std::min(since, lines.size())), lines.end()};
    }

    test::Sandbox sandbox;
    fs::path preferences;
    fs::path record;
};

}  // namespace

TEST(LoggingSwitch, EnableAndRevertKeepTheUsersEntryEveryOtherValueAndTheFormat)
{
    for (const auto& [format, usersEntry] : std::vector<std::pair<PlistFormat, bool>>{
             {PlistFormat::Binary, false}, {PlistFormat::Xml, false}, {PlistFormat::Binary, true}}) {
        SCOPED_TRACE(std::string(format == PlistFormat::Binary ? "binary" : "xml") +
                     (usersEntry ? ", user's entry" : ""));
        TargetSession session(format, usersEntry);
        const auto mode = fs::perms(0604);
        fs::permissions(session.preferences, mode);
        const std::string before = test::pythonPlist(session.preferences, "d");
        const std::string others = test::pythonPlist(session.preferences, kEverythingElse);
        const auto folderBefore = test::treeListing(session.preferences.parent_path());
        const auto mark = session.sandbox.logMessages().size();

        PListOperations::EnableScrivoLogging(true, session.now());
        EXPECT_EQ(session.newLines(mark),
                  (std::vector<std::string>{"INFO: PropertyList URL: " + session.preferences.string(),
                                            usersEntry ? "INFO: Scrivologging dictionary updated"
                                                       : "INFO: Scrivologging dictionary created"}));
        EXPECT_EQ(test::pythonPlist(session.preferences, kEntry), kVerboseEntry);
        EXPECT_EQ(test::pythonPlist(session.preferences, kEverythingElse), others);
        EXPECT_EQ(test::isBinaryPlist(session.preferences), format == PlistFormat::Binary);
        EXPECT_EQ(fs::status(session.preferences).permissions(), mode);
        // A second start in the same run (its window closed while monitoring) must not take the
        // verbose entry for the user's.
        PListOperations::EnableScrivoLogging(true, session.now());
        EXPECT_EQ(test::pythonPlist(session.preferences, kEntry), kVerboseEntry);

        PListOperations::RevertScrivoLogPList(true, session.now());
        EXPECT_EQ(test::pythonPlist(session.preferences, "d"), before);
        EXPECT_EQ(test::isBinaryPlist(session.preferences), format == PlistFormat::Binary);
        EXPECT_EQ(fs::status(session.preferences).permissions(), mode);
        EXPECT_FALSE(PListOperations::PListUpdated);
        EXPECT_FALSE(fs::exists(session.record));
        // No temporary file is left next to the preferences.
        EXPECT_EQ(test::treeListing(session.preferences.parent_path()), folderBefore);
    }
}

TEST(LoggingSwitch, AVerboseEntryLeftWithoutItsRecordIsNotTakenForTheUsers)
{
    TargetSession session(PlistFormat::Binary);
    PListOperations::EnableScrivoLogging(true, session.now());
    PListOperations::forgetStateForTesting();
    fs::remove(session.record);
    PListOperations::EnableScrivoLogging(true, session.now());
    EXPECT_EQ(session.sandbox.logMessages().back(), "INFO: Scrivologging dictionary updated");
    PListOperations::RevertScrivoLogPList(true, session.now());
    EXPECT_EQ(test::pythonPlist(session.preferences, kEntry), "None");
}

TEST(LoggingSwitch, FalseOrFilesItCannotUseMeanUntouched)
{
    TargetSession session(PlistFormat::Binary);
    const std::string bytes = test::readFile(session.preferences);
    const auto mark = session.sandbox.logMessages().size();

    PListOperations::EnableScrivoLogging(false, session.now());
    PListOperations::GetScrivoLogs(false, session.now());
    PListOperations::RevertScrivoLogPList(false, session.now());
    EXPECT_EQ(test::readFile(session.preferences), bytes);
    EXPECT_FALSE(PListOperations::PListUpdated);
    EXPECT_FALSE(fs::exists(*UtilityFunctions::tempOutputURL.get() / "ScrivoLog"));

    // No edition running: no file chosen.
    UtilityFunctions::ScrivoRunningInstance.set({});
    PListOperations::EnableScrivoLogging(true, session.now());
    EXPECT_FALSE(PListOperations::PListURL.get());
    EXPECT_TRUE(session.newLines(mark).empty());
    UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});

    // Not a property list: left byte for byte, enable still counts as done.
    const std::string garbage = "bplist00 truncated";
    std::ofstream(session.preferences, std::ios::binary | std::ios::trunc) << garbage;
    PListOperations::EnableScrivoLogging(true, session.now());
    EXPECT_TRUE(PListOperations::PListUpdated);
    PListOperations::RevertScrivoLogPList(true, session.now());
    EXPECT_EQ(test::readFile(session.preferences), garbage);
    EXPECT_EQ(session.newLines(mark),
              (std::vector<std::string>{"INFO: PropertyList URL: " + session.preferences.string()}));
    EXPECT_FALSE(fs::exists(session.record));
    PListOperations::forgetStateForTesting();

    // No dictionary for the flavour: content unchanged, nothing recorded.
    sample::writePreferences(session.preferences.parent_path(), sample::Edition::Scrivo, PlistFormat::Binary);
    UtilityFunctions::flavour.set("Nightly");
    const std::string before = test::pythonPlist(session.preferences, "d");
    PListOperations::EnableScrivoLogging(true, session.now());
    EXPECT_EQ(test::pythonPlist(session.preferences, "d"), before);
    EXPECT_FALSE(fs::exists(session.record));
    PListOperations::RevertScrivoLogPList(true, session.now());
    EXPECT_EQ(test::pythonPlist(session.preferences, "d"), before);
}

TEST(LoggingSwitch, AKilledSessionIsRevertedAtTheNextStartUp)
{
    for (const bool userLoggingEntry : {false, true}) {
        SCOPED_TRACE(userLoggingEntry ? "with the user's entry" : "without an entry");
        TargetSession session(PlistFormat::Xml, userLoggingEntry);
        const std::string before = test::pythonPlist(session.preferences, "d");
        PListOperations::EnableScrivoLogging(true, session.now());
        ASSERT_TRUE(fs::exists(session.record));

        // The run ends here without reverting; the next one starts with fresh memory.
        PListOperations::forgetStateForTesting();
        test::resetSharedValues();
        ASSERT_TRUE(UtilityFunctions::CreateOutputDirectories(session.sandbox.folders()));
        PListOperations::revertLeftoverLogging(UtilityFunctions::tempSystemURL.get());

        EXPECT_EQ(test::pythonPlist(session.preferences, "d"), before);
        EXPECT_FALSE(test::isBinaryPlist(session.preferences));
        EXPECT_EQ(session.sandbox.logMessages().back(),
                  "INFO: Reverted the logging switch left on by an earlier run. URL: " + session.preferences.string());
        EXPECT_FALSE(fs::exists(session.record));

        const auto mark = session.sandbox.logMessages().size();
        PListOperations::revertLeftoverLogging(UtilityFunctions::tempSystemURL.get());
        EXPECT_TRUE(session.newLines(mark).empty());
    }
}

TEST(LoggingSwitch, StartUpLeavesAnEntryTheUserChangedSinceAndThisRunsOwnSwitch)
{
    TargetSession session(PlistFormat::Binary);
    PListOperations::EnableScrivoLogging(true, session.now());
    // This run's own switch is not a leftover.
    PListOperations::revertLeftoverLogging(UtilityFunctions::tempSystemURL.get());
    EXPECT_EQ(test::pythonPlist(session.preferences, kEntry), kVerboseEntry);
    EXPECT_TRUE(fs::exists(session.record));

    PListOperations::forgetStateForTesting();
    // The user turned logging to something else before Tarvix ran again.
    const std::string script = "import plistlib,sys\n"
                               "p=sys.argv[1]; d=plistlib.load(open(p,'rb'))\n"
                               "d['QX']['ScrivoLogging']={'EnableScrivoLogging':[1,1]}\n"
                               "plistlib.dump(d,open(p,'wb'),fmt=plistlib.FMT_BINARY)\n";
    test::runCommand("python3 -c " + test::shellWord(script) + " " + test::shellWord(session.preferences.string()));
    PListOperations::revertLeftoverLogging(UtilityFunctions::tempSystemURL.get());
    EXPECT_EQ(test::pythonPlist(session.preferences, kEntry), "{'EnableScrivoLogging': [1, 1]}");
    EXPECT_EQ(session.sandbox.logMessages().back(),
              "INFO: Logging switch left by an earlier run is no longer on, nothing reverted. URL: " +
                  session.preferences.string());
    EXPECT_FALSE(fs::exists(session.record));
}

TEST(GetScrivoLogs, CopiesTheTargetsLogFolderIntoTheSession)
{
    TargetSession session(PlistFormat::Binary);
    UtilityFunctions::SetScrivoOrGlance(UtilityFunctions::ScrivoRunningInstance.get(),
                                        UtilityFunctions::tempOutputURL.get());
    const fs::path source = session.sandbox.library() / "Application Support/Norvane/Scrivo/QX/Scrivo/ScrivoLog";
    const fs::path copy = *UtilityFunctions::tempOutputURL.get() / "ScrivoLog";

    PListOperations::GetScrivoLogs(true, session.now());
    EXPECT_EQ(test::treeListing(copy), test::treeListing(source));
    EXPECT_EQ(session.sandbox.logMessages().back(), "INFO: Item copied successfully!");

    PListOperations::GetScrivoLogs(true, session.now());
    EXPECT_EQ(session.sandbox.logMessages().back().rfind("ERROR: Error copying item: ", 0), 0u);

    UtilityFunctions::scrivoOrGlance.set(std::nullopt);
    PListOperations::GetScrivoLogs(true, session.now());
    EXPECT_EQ(session.sandbox.logMessages().back(),
              "WARNING: GetScrivoLogs: no edition chosen, the target's log folder was not copied.");
}
