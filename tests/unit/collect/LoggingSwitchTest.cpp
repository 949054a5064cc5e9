#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "core/collect/PListOperations.h"
#include "core/collect/PListOperationsTesting.h"
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

struct Sequence {
    const char* name;
    PlistFormat format;
    bool usersEntry;
    /// "A+"/"A-": A switches on/reverts (A, C: flavour QX; B: Beta; N: none). "run": the next run
    /// starts; "reopen": this run's next window; "lock"/"unlock": no writes in the preferences;
    /// "norecord": no record can be kept; "lost": a run without the record; "target"/"user": they
    /// write (the target at our next write); "garbage": the file becomes unreadable.
    const char* steps;
    /// The switch's answers in turn: '+' switched on, '=' already on, 'r' reverted, '0' nothing to revert, 'x' failed.
    const char* answers;
    bool untouched = false;  ///< the file is never rewritten: byte for byte as the user and target left it
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
        {"an unreadable file", PlistFormat::Binary, false, "garbage A+ A-", "x0", true},
    };
    ::umask(022);
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        test::Sandbox sandbox;
        sample::install(sandbox.root(),
                        {.preferencesFormat = sequence.format, .userLoggingEntry = sequence.usersEntry});
        const auto workspace = tarvix::UtilityFunctions::CreateOutputDirectories(sandbox.folders()).value();
        const fs::path preferences = sandbox.library() / "Preferences/com.norvane.Scrivo.Pro.plist",
                       record = sandbox.library() / "Tarvix/System/ScrivoLoggingSwitch.plist";
        fs::permissions(preferences, fs::perms(0604));
        // The same user and target writes go to a copy: what the file must end as.
        const fs::path expected = sandbox.root() / "expected.plist";
        fs::copy_file(preferences, expected);
        const auto listing = test::treeListing(preferences.parent_path());
        const auto inode = [&] { return test::runCommand("stat -c %i " + test::shellWord(preferences)); };
        const auto before = inode();
        Session target = sessionIn(workspace);
        target.bundleIdentifier = "com.norvane.Scrivo.Pro";
        target.edition = "Scrivo";
        std::map<char, Session> sessions;
        for (const char* id : {"AQX", "BBeta", "CQX", "NNightly"}) (sessions[id[0]] = target).flavour = id + 1;
        std::unique_ptr<test::Undeletable> lock;
        // A change to `d` by the user or the target, written back in the file's format (python3's plistlib).
        const auto write = [&](const std::string& change) {
            for (const fs::path& file : {preferences, expected})
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
            if (step == "lost") fs::remove(record);
            if (step == "run" || step == "reopen") answer = revertLeftoverLogging(workspace.tempSystemURL);
            if (answer) answers += *answer ? "+=r0"[static_cast<int>((*answer)->done)] : 'x';
            if (answer && *answer && step[1] == '+') session.loggingSwitch = (*answer)->loggingSwitch;
            if (step == "lock") lock = std::make_unique<test::Undeletable>(preferences.parent_path());
            if (step == "lock" && !lock->ok()) GTEST_SKIP() << "no immutable folders on this file system";
            if (step == "unlock") lock.reset();
            if (step == "garbage")
                for (const fs::path& file : {preferences, expected}) test::writeFile(file, "bplist00 truncated");
            if (step == "norecord") fs::create_directories(record / "in the way");
            if (step == "user") write("d['QX'].update(ScrivoLogging={'EnableScrivoLogging': [1, 1]})");
            if (step == "target")
                writeMeanwhileForTesting([&](const fs::path&) {
                    writeMeanwhileForTesting({});
                    write("d.update(TargetWrites=d.get('TargetWrites', 0) + 1)");
                });
            // Whether the switch is on is what the file says.
            const bool on = ours && !sequence.untouched && test::pythonPlist(preferences, kSwitchedOn) == "True";
            EXPECT_TRUE(!ours || on == switchedOnForTesting());
            EXPECT_TRUE(!answer || *answer || step[1] == '+' || fs::is_regular_file(record))
                << "a failed revert keeps its record";
            // Ours alone, whatever the umask leaves open.
            EXPECT_TRUE(!fs::is_regular_file(record) || fs::status(record).permissions() == fs::perms(0600));
        }
        writeMeanwhileForTesting({});
        EXPECT_EQ(answers, sequence.answers);
        const auto content = [&](const fs::path& file) {
            return sequence.untouched ? test::readFile(file) : test::pythonPlist(file, "d");
        };
        EXPECT_EQ(content(preferences), content(expected));
        EXPECT_EQ(test::readFile(preferences).starts_with("bplist00"), sequence.format == PlistFormat::Binary);
        EXPECT_EQ(fs::status(preferences).permissions(), fs::perms(0604));
        EXPECT_EQ(test::treeListing(preferences.parent_path()), listing) << "no temporary file left";
        EXPECT_FALSE(fs::is_regular_file(record));
        EXPECT_TRUE(!sequence.untouched || inode() == before) << "rewritten";
    }
}
