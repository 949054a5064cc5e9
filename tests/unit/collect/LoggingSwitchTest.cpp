#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "core/collect/PListOperations.h"
#include "core/collect/PListOperationsTesting.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using namespace tarvix::PListOperations;
using sample::PlistFormat;

namespace {

/// Whether a flavour the sequences use holds our entry.
const char* const kSwitchedOn =
    "any(d.get(f, {}).get('ScrivoLogging') == {'EnableScrivoLogging': [10, 7]} for f in ('QX', 'Beta'))";

/// The full edition's preference file in `format`, the workspace made, the target chosen.
struct TargetSession {
    explicit TargetSession(PlistFormat format, bool userLoggingEntry = true)
    {
        sample::install(sandbox.root(), {.preferencesFormat = format, .userLoggingEntry = userLoggingEntry});
        auto made = tarvix::UtilityFunctions::CreateOutputDirectories(sandbox.folders());
        EXPECT_TRUE(made.ok());
        workspace = *made;
    }
    Session in(const char* flavour) const
    {
        Session session = sessionIn(workspace);
        session.bundleIdentifier = "com.norvane.Scrivo.Pro";
        session.edition = "Scrivo";
        session.flavour = flavour;
        return session;
    }

    test::Sandbox sandbox;
    tarvix::UtilityFunctions::Workspace workspace;
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
    /// The switch's answers in turn: '+' switched on, '=' already on, 'r' reverted, '0' nothing to revert, 'x' failed.
    const char* answers;
    bool untouched = false;  ///< the file is never rewritten
};

}  // namespace

TEST(LoggingSwitch, EverySequenceOfSessionsAndFailuresEndsWithWhatTheUserAndTheTargetWrote)
{
    const Sequence sequences[] = {
        {"one session", PlistFormat::Binary, true, "A+ A-", "+r"},
        {"one session, no entry of the user's", PlistFormat::Xml, false, "A+ A-", "+r"},
        {"a closed window's session reverts after the next start", PlistFormat::Binary, true, "A+ B+ A- B-", "++0r"},
        {"the newer session stops first", PlistFormat::Xml, true, "A+ B+ B- A-", "++r0"},
        {"two sessions of one flavour", PlistFormat::Binary, true, "A+ C+ A- C-", "++0r"},
        {"a killed run", PlistFormat::Xml, true, "A+ run", "+r"},
        {"a failed revert, retried by the next start", PlistFormat::Binary, true, "A+ lock A- unlock C+ C-", "+x+r"},
        {"a failed revert, a start while it still fails", PlistFormat::Binary, true, "A+ lock A- C+ unlock C-", "+x=r"},
        {"a failed revert, kept for the next run", PlistFormat::Xml, true, "A+ lock A- B+ unlock run", "+xxr"},
        {"no record, no switch", PlistFormat::Binary, true, "norecord A+ run", "x0", true},
        {"the target writes meanwhile", PlistFormat::Binary, true, "target A+ target A-", "+r"},
        {"the user's own entry since", PlistFormat::Binary, true, "A+ user run", "+0"},
        {"our entry without its record", PlistFormat::Binary, false, "A+ lost A+ A-", "+=r"},
        {"this run's own switch is no leftover", PlistFormat::Binary, true, "A+ reopen A-", "+0r"},
        {"no dictionary for the flavour", PlistFormat::Binary, true, "N+ N-", "x0", true},
    };
    ::umask(022);
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        TargetSession target(sequence.format, sequence.usersEntry);
        fs::permissions(target.preferences, fs::perms(0604));
        // The same user and target writes go to a copy: what the file must end as.
        const fs::path expected = target.sandbox.root() / "expected.plist";
        fs::copy_file(target.preferences, expected);
        const auto listing = test::treeListing(target.preferences.parent_path());
        const auto inode = [&] { return test::runCommand("stat -c %i " + test::shellWord(target.preferences)); };
        const auto before = inode();
        std::map<char, Session> sessions;
        for (const char* id : {"AQX", "BBeta", "CQX", "NNightly"}) sessions[id[0]] = target.in(id + 1);
        std::unique_ptr<test::Undeletable> lock;
        // A change to `d` by the user or the target, written back in the file's format (python3's plistlib).
        const auto write = [&](const std::string& change) {
            for (const fs::path& file : {target.preferences, expected})
                test::pythonPlist(file, change + " or open(sys.argv[1], 'wb').write(plistlib.dumps(d, fmt=plistlib." +
                                            (sequence.format == PlistFormat::Binary ? "FMT_BINARY" : "FMT_XML") + "))");
        };
        std::string answers;
        std::istringstream steps(sequence.steps);
        for (std::string step; steps >> step;) {
            SCOPED_TRACE(step);
            const bool ours = step.size() == 2 || step == "run" || step == "reopen";
            Session& session = sessions[step[0]];
            std::optional<SwitchResult> answer;
            if (step.size() == 2)
                answer = step[1] == '+' ? EnableScrivoLogging(session) : RevertScrivoLogPList(session);
            if (step == "run" || step == "lost") forgetStateForTesting();
            if (step == "lost") fs::remove(target.record);
            if (step == "run" || step == "reopen") answer = revertLeftoverLogging(target.workspace.tempSystemURL);
            if (answer) answers += *answer ? "+=r0"[static_cast<int>((*answer)->done)] : 'x';
            if (answer && *answer && step[1] == '+') session.loggingSwitch = (*answer)->loggingSwitch;
            if (step == "lock") lock = std::make_unique<test::Undeletable>(target.preferences.parent_path());
            if (step == "lock" && !lock->ok()) GTEST_SKIP() << "no immutable folders on this file system";
            if (step == "unlock") lock.reset();
            if (step == "norecord") fs::create_directories(target.record / "in the way");
            if (step == "user") write("d['QX'].update(ScrivoLogging={'EnableScrivoLogging': [1, 1]})");
            if (step == "target")
                writeMeanwhileForTesting([&](const fs::path&) {
                    writeMeanwhileForTesting({});
                    write("d.update(TargetWrites=d.get('TargetWrites', 0) + 1)");
                });
            // Whether the switch is on is what the file says.
            const bool on = ours && test::pythonPlist(target.preferences, kSwitchedOn) == "True";
            EXPECT_TRUE(!ours || on == switchedOnForTesting());
            EXPECT_TRUE(!answer || *answer || step[1] == '+' || fs::is_regular_file(target.record))
                << "a failed revert keeps its record";
            // Ours alone, whatever the umask leaves open.
            EXPECT_TRUE(!fs::is_regular_file(target.record) ||
                        fs::status(target.record).permissions() == fs::perms(0600));
        }
        writeMeanwhileForTesting({});
        EXPECT_EQ(answers, sequence.answers);
        EXPECT_EQ(test::pythonPlist(target.preferences, "d"), test::pythonPlist(expected, "d"));
        EXPECT_EQ(test::readFile(target.preferences).starts_with("bplist00"), sequence.format == PlistFormat::Binary);
        EXPECT_EQ(fs::status(target.preferences).permissions(), fs::perms(0604));
        EXPECT_EQ(test::treeListing(target.preferences.parent_path()), listing) << "no temporary file left";
        EXPECT_FALSE(fs::is_regular_file(target.record));
        EXPECT_TRUE(!sequence.untouched || inode() == before) << "rewritten";
    }
}

TEST(LoggingSwitch, AnUnreadableFileLeavesThePreferencesByteForByte)
{
    TargetSession target(PlistFormat::Binary, false);
    Session session = target.in("QX");
    const std::string garbage = "bplist00 truncated";
    test::writeFile(target.preferences, garbage);
    EXPECT_FALSE(EnableScrivoLogging(session).ok());
    EXPECT_TRUE(RevertScrivoLogPList(session).ok());
    EXPECT_EQ(test::readFile(target.preferences), garbage);
    EXPECT_FALSE(fs::exists(target.record));
}
