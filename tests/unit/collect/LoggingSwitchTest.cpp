#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <sstream>

#include "core/collect/PListOperations.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/collect/PreferenceFile.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using sample::PlistFormat;

namespace {

/// Runs `code` over `d`, the file as the system's python3 plistlib reads it (an independent
/// reader; a pyenv shim would cost a second per start), and answers what it printed.
std::string plistlib(const fs::path& file, const std::string& code)
{
    const std::string script = "import plistlib, sys\np = sys.argv[1]; raw = open(p, 'rb').read()\n"
                               "d = plistlib.loads(raw)\n" +
                               code;
    int status = 0;
    std::string out = test::runCommand(
        "/usr/bin/python3 -c " + test::shellWord(script) + " " + test::shellWord(file.string()) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    return out;
}

/// Whether a flavour the sequences use holds our entry (read with libplist: cheap, for every step).
bool switchedOn(const fs::path& file)
{
    const auto document = PListOperations::detail::readDictionaryPlist(file);
    bool on = false;
    for (const char* flavour : {"QX", "Beta"})
        on = on || PListOperations::detail::isVerboseLoggingEntry(plist_dict_get_item(
                       plist_dict_get_item(document ? raw(document->root) : nullptr, flavour), "ScrivoLogging"));
    return on;
}

/// The full edition's preference file in `format`, the workspace made, the target chosen.
struct TargetSession {
    explicit TargetSession(PlistFormat format, bool userLoggingEntry = true)
    {
        sample::install(sandbox.root(), {.preferencesFormat = format, .userLoggingEntry = userLoggingEntry});
        EXPECT_TRUE(UtilityFunctions::CreateOutputDirectories(sandbox.folders()));
        UtilityFunctions::ScrivoRunningInstance.set({"com.norvane.Scrivo.Pro"});
        UtilityFunctions::scrivoOrGlance.set("Scrivo");
    }
    Session in(const char* flavour) const
    {
        Session session = sessionFromSharedValues();
        session.flavour = flavour;
        return session;
    }

    test::Sandbox sandbox;
    fs::path preferences = sandbox.library() / "Preferences" / "com.norvane.Scrivo.Pro.plist";
    fs::path record = sandbox.library() / "Tarvix" / "System" / "ScrivoLoggingSwitch.plist";
};

struct Sequence {
    const char* name;
    PlistFormat format;
    bool usersEntry;
    /// "A+"/"A-": A switches on/reverts (A, C: flavour QX; B: Beta; N: none). "run": the next run
    /// starts; "reopen": this run's next window; "lock"/"unlock": no writes in the preferences;
    /// "norecord": no record can be kept; "lost": a run without the record; "target"/"user": they
    /// write (the target at our next write).
    const char* steps;
    bool untouched = false;  ///< the file is never rewritten
};

}  // namespace

TEST(LoggingSwitch, EverySequenceOfSessionsAndFailuresEndsWithWhatTheUserAndTheTargetWrote)
{
    const Sequence sequences[] = {
        {"one session", PlistFormat::Binary, true, "A+ A-"},
        {"one session, no entry of the user's", PlistFormat::Xml, false, "A+ A-"},
        {"a closed window's session reverts after the next one started", PlistFormat::Binary, true, "A+ B+ A- B-"},
        {"the newer session stops first", PlistFormat::Xml, true, "A+ B+ B- A-"},
        {"two sessions of one flavour", PlistFormat::Binary, true, "A+ C+ A- C-"},
        {"a killed run", PlistFormat::Xml, true, "A+ run"},
        {"a failed revert, retried by the next start", PlistFormat::Binary, true, "A+ lock A- unlock C+ C-"},
        {"a failed revert, and a start while it still fails", PlistFormat::Binary, true, "A+ lock A- C+ unlock C-"},
        {"a failed revert, kept for the next run", PlistFormat::Xml, true, "A+ lock A- B+ unlock run"},
        {"no record, no switch", PlistFormat::Binary, true, "norecord A+ run", true},
        {"the target writes meanwhile", PlistFormat::Binary, true, "target A+ target A-"},
        {"the user's own entry since", PlistFormat::Binary, true, "A+ user run"},
        {"our entry without its record", PlistFormat::Binary, false, "A+ lost A+ A-"},
        {"this run's own switch is no leftover", PlistFormat::Binary, true, "A+ reopen A-"},
        {"no dictionary for the flavour", PlistFormat::Binary, true, "N+ N-", true},
    };
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        TargetSession target(sequence.format, sequence.usersEntry);
        fs::permissions(target.preferences, fs::perms(0604));
        // The same user and target writes go to a copy: what the file must end as.
        const fs::path expected = target.sandbox.root() / "expected.plist";
        fs::copy_file(target.preferences, expected);
        const auto listing = test::treeListing(target.preferences.parent_path());
        const auto inode = [&] {
            struct stat file {};
            return ::stat(target.preferences.c_str(), &file) == 0 ? file.st_ino : 0;
        };
        const auto before = inode();
        std::map<char, Session> sessions;
        for (const char* id : {"AQX", "BBeta", "CQX", "NNightly"}) sessions[id[0]] = target.in(id + 1);
        std::unique_ptr<test::Undeletable> lock;
        const auto write = [&](const std::string& code) {
            for (const fs::path& file : {target.preferences, expected})
                plistlib(file, code + "\nopen(p, 'wb').write(plistlib.dumps(d, fmt=plistlib.FMT_BINARY if "
                                      "raw.startswith(b'bplist') else plistlib.FMT_XML))");
        };

        std::istringstream steps(sequence.steps);
        for (std::string step; steps >> step;) {
            SCOPED_TRACE(step);
            const bool ours = step.size() == 2 || step == "run" || step == "reopen";
            if (step.size() == 2 && step[1] == '+') PListOperations::EnableScrivoLogging(true, sessions[step[0]]);
            if (step.size() == 2 && step[1] == '-') PListOperations::RevertScrivoLogPList(true, sessions[step[0]]);
            if (step == "run" || step == "lost") PListOperations::forgetStateForTesting();
            if (step == "lost") fs::remove(target.record);
            if (step == "run" || step == "reopen")
                PListOperations::revertLeftoverLogging(UtilityFunctions::tempSystemURL.get());
            if (step == "lock") lock = std::make_unique<test::Undeletable>(target.preferences.parent_path());
            if (step == "lock" && !lock->ok()) GTEST_SKIP() << "no immutable folders on this file system";
            if (step == "unlock") lock.reset();
            if (step == "norecord") fs::create_directories(target.record / "in the way");
            if (step == "user") write("d['QX']['ScrivoLogging'] = {'EnableScrivoLogging': [1, 1]}");
            if (step == "target")
                PListOperations::writeMeanwhileForTesting([&](const fs::path&) {
                    PListOperations::writeMeanwhileForTesting({});
                    write("d['TargetWrites'] = d.get('TargetWrites', 0) + 1");
                });
            // Whether the switch is on is what the file says.
            EXPECT_TRUE(!ours || switchedOn(target.preferences) == PListOperations::PListUpdated);
        }
        PListOperations::writeMeanwhileForTesting({});
        EXPECT_EQ(plistlib(target.preferences, "print(repr(d))"), plistlib(expected, "print(repr(d))"));
        EXPECT_EQ(test::readFile(target.preferences).starts_with("bplist00"), sequence.format == PlistFormat::Binary);
        EXPECT_EQ(fs::status(target.preferences).permissions(), fs::perms(0604));
        EXPECT_EQ(test::treeListing(target.preferences.parent_path()), listing) << "no temporary file left";
        EXPECT_FALSE(fs::is_regular_file(target.record));
        EXPECT_TRUE(!sequence.untouched || inode() == before) << "rewritten";
    }
}

TEST(LoggingSwitch, FalseOrFilesItCannotUseMeanUntouchedAndEnableSaysWhatItDid)
{
    TargetSession target(PlistFormat::Binary, false);
    Session session = target.in("QX");
    const std::string bytes = test::readFile(target.preferences);
    const auto mark = static_cast<long>(target.sandbox.logMessages().size());

    PListOperations::EnableScrivoLogging(false, session);
    PListOperations::GetScrivoLogs(false, session);
    PListOperations::RevertScrivoLogPList(false, session);
    EXPECT_EQ(test::readFile(target.preferences), bytes);
    EXPECT_FALSE(fs::exists(*session.output / "ScrivoLog"));

    // No edition running: no file chosen.
    Session none;
    PListOperations::EnableScrivoLogging(true, none);
    EXPECT_FALSE(PListOperations::PListURL.get());

    // Not a property list: left byte for byte, nothing switched.
    const std::string garbage = "bplist00 truncated";
    std::ofstream(target.preferences, std::ios::binary | std::ios::trunc) << garbage;
    PListOperations::EnableScrivoLogging(true, session);
    EXPECT_FALSE(session.loggingSwitch);
    PListOperations::RevertScrivoLogPList(true, session);
    EXPECT_EQ(test::readFile(target.preferences), garbage);
    EXPECT_FALSE(fs::exists(target.record));

    sample::writePreferences(target.preferences.parent_path(), sample::Edition::Scrivo, PlistFormat::Binary, false);
    const std::string url = "INFO: PropertyList URL: " + target.preferences.string();
    PListOperations::EnableScrivoLogging(true, session);
    PListOperations::RevertScrivoLogPList(true, session);
    sample::writePreferences(target.preferences.parent_path(), sample::Edition::Scrivo, PlistFormat::Binary, true);
    PListOperations::EnableScrivoLogging(true, session);
    const auto lines = target.sandbox.logMessages();
    EXPECT_EQ(std::vector(lines.begin() + mark, lines.end()),
              (std::vector<std::string>{
                  url, "WARNING: RevertScrivoLogPList: logging was never switched on, nothing to revert.", url,
                  "INFO: Scrivologging dictionary created", url, "INFO: Scrivologging dictionary updated"}));
}

TEST(GetScrivoLogs, CopiesTheTargetsLogFolderIntoTheSession)
{
    TargetSession target(PlistFormat::Binary);
    Session session = target.in("QX");
    const fs::path source = target.sandbox.library() / "Application Support/Norvane/Scrivo/QX/Scrivo/ScrivoLog";

    PListOperations::GetScrivoLogs(true, session);
    EXPECT_EQ(test::treeListing(*session.output / "ScrivoLog"), test::treeListing(source));
    EXPECT_EQ(target.sandbox.logMessages().back(), "INFO: Item copied successfully!");

    PListOperations::GetScrivoLogs(true, session);
    EXPECT_EQ(target.sandbox.logMessages().back().rfind("ERROR: Error copying item: ", 0), 0u);
}
