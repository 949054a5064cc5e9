#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "core/collect/PListOperationsTesting.h"
#include "core/collect/ProcessExecution.h"
#include "core/lifecycle/Lifecycle.h"
#include "core/lifecycle/SessionSteps.h"
#include "core/workspace/SharedValues.h"
#include "core/workspace/Workspace.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using namespace tarvix;
using namespace std::chrono_literals;

namespace {

/// A sandbox whose libexec holds stand-in spindump and system_profiler programs and whose
/// elevation command is a stand-in; all three append their arguments to files in `records`.
struct CaptureSandbox {
    explicit CaptureSandbox(const std::string& elevation = "exec \"$@\"\n")
    {
        fs::create_directories(records);
        auto standIn = [&](const fs::path& program, const std::string& rest) {
            test::writeFile(program,
                            "#!/bin/sh\nprintf '%s\\n' \"$@\" >> " +
                                test::shellWord((records / program.filename()).string() + ".args") + "\n" + rest,
                            true);
        };
        standIn(libexec() / "spindump", "[ \"$2\" = -file ] || exit 64\nprintf 'Process: %s\\n' \"$1\" > \"$3\"\n");
        standIn(libexec() / "system_profiler", "printf 'Applications:\\n\\n    Scrivo:\\n'\n");
        standIn(sandbox.root() / "bin" / "elevate", elevation);
        sandbox.platform().folders.libexec = libexec();
        sandbox.platform().folders.elevationCommand = {(sandbox.root() / "bin" / "elevate").string()};
    }
    ~CaptureSandbox() { tarvix::PListOperations::forgetStateForTesting(); }

    fs::path libexec() const { return sandbox.root() / "libexec"; }
    std::string record(const std::string& name) const { return test::readFile(records / (name + ".args")); }

    /// Start-up and the start flow, for the full edition of the sample, installed and running.
    void startSession()
    {
        layout = sample::install(sandbox.root());
        instance.emplace(layout.scrivoBundle);
        const auto window = tarvix::TarvixApp::startUp(sandbox.folders());
        session = *tarvix::startSession(sandbox.platform(), window.workspace, *window.flavour);
        output = *session.output;
    }

    /// Runs the captures; their completion must come once, on the interface thread.
    void capture(bool installedApps, bool spinDump)
    {
        std::mutex mutex;
        std::thread::id completedOn;
        // The run's tasks share the interface until the last of them has posted what it posts.
        const long idle = sandbox.platform().ui.use_count();
        tarvix::ProcessExecution::runTasksConcurrently(installedApps, spinDump, sandbox.platform(), session, status,
                                                       [&] {
                                                           std::lock_guard lock(mutex);
                                                           completedOn = std::this_thread::get_id();
                                                           ++completions;
                                                       });
        EXPECT_TRUE(test::waitFor([&] { return sandbox.platform().ui.use_count() == idle; }, 60s));
        std::thread::id interfaceThread;
        sandbox.ui().postToMainThread([&] { interfaceThread = std::this_thread::get_id(); });
        sandbox.ui().drain();
        std::lock_guard lock(mutex);
        EXPECT_EQ(completedOn, interfaceThread);
        EXPECT_EQ(completions, 1);
    }

    bool logHas(const std::string& line) const { return std::ranges::count(sandbox.logMessages(), line) > 0; }

    test::Sandbox sandbox;
    fs::path records = sandbox.root() / "records";
    std::shared_ptr<test::RecordingTextCell> status = std::make_shared<test::RecordingTextCell>();
    sample::Layout layout;
    std::optional<sample::RunningInstance> instance;
    Session session;
    fs::path output;
    std::atomic<int> completions{0};
};

const std::string kDump = "Capturing Scrivo data dump.", kProfile = "Capturing system configuration and settings.",
                  kCollect = "Capturing Scrivo settings and logs.";

}  // namespace

TEST(Captures, AFullStopRunsTheToolsInOrderAndOnlyTheTargetsOwnFilesReachTheArchiveOwnerOnly)
{
    ::umask(022);
    CaptureSandbox run;
    run.startSession();
    const std::string pid = std::to_string(run.instance->pid()), out = run.output.string();
    // Another account plants, in a log folder anyone may write to, links to the user's key and its
    // folder (absolute and relative) and a sparse file past the collection budget.
    const fs::path logs = run.layout.library / "Application Support/Norvane/Scrivo/QX/Scrivo/ScrivoLog";
    const fs::path key = run.sandbox.home() / ".ssh/id_rsa", huge = logs / "huge.log";
    test::writeFile(key, "PRIVATE KEY");
    fs::permissions(run.sandbox.root(), fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(logs, fs::perms::all);
    const std::string up = "../../../../../../../../../../../../../../../../../../../..";
    const std::vector<std::pair<fs::path, fs::path>> links = {
        {key, logs / "key.log"},
        {key.parent_path(), logs / "keys.log"},
        {up / key.relative_path(), logs / "relative.txt"},
        {up / key.parent_path().relative_path(), logs / "up.txt"}};
    std::string plant =
        "truncate -s " + std::to_string(tarvix::ProcessExecution::kCollectionBudget + 1) + " " + test::shellWord(huge);
    for (const auto& [target, link] : links)
        plant += " && ln -s " + test::shellWord(target) + " " + test::shellWord(link);
    int status = -1;
    test::runCommand((::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
                         ("sh -c " + test::shellWord(plant)),
                     &status);
    ASSERT_EQ(status, 0);

    run.capture(true, true);
    EXPECT_EQ(run.status->history(), (std::vector<std::string>{kDump, kProfile, kCollect}));
    EXPECT_EQ(run.record("system_profiler"), "-detailLevel\nfull\nSPApplicationsDataType\n");
    // Only the data dump is elevated, and the elevation runs nothing but our tool, by its path.
    EXPECT_EQ(run.record("elevate"),
              (run.libexec() / "spindump").string() + "\n" + pid + "\n-file\n" + out + "/spinReport.txt\n");
    std::string listing;
    for (const std::string& entry : test::treeListing(run.output)) listing += entry + "|";
    EXPECT_EQ(listing,
              "IPMLogs/|IPMLogs/Bastion-ProMessages.lic/|IPMLogs/Bastion-ProMessages.lic/messages.json|"
              "InstallLogs/|InstallLogs/Scrivo Update Helper QX.log|InstallLogs/Scrivo Updater QX.log|"
              "InstallLogs/scrivoUpdaterTools.log|LicensingLogs/|LicensingLogs/QLM/|"
              "LicensingLogs/QLM/logging.qlmlogcontrolconfig|LicensingLogs/QLM/qlm.log|"
              "LicensingLogs/scrivoQLMLicenseLog.txt|LicensingLogs/scrivoQLMLog.txt|LicensingLogs/scrivocef_low/|"
              "LicensingLogs/scrivocef_low/cef.log|PropertyList/|PropertyList/com.norvane.Scrivo.Pro.plist|"
              "PropertyList/com.norvane.crashreporter.plist|ScrivoLog/|ScrivoLog/Crashes/|"
              "ScrivoLog/Crashes/crash_1.dmp|ScrivoLog/Scrivo.log|ScrivoLog/Scrivo_previous.log|"
              "ScrivoLog/latest.log -> Scrivo.log|spinReport.txt|sysinfo.xml|");
    // The preference file is collected while the switch is on, and reverted after.
    EXPECT_EQ(test::pythonPlist(run.output / "PropertyList/com.norvane.Scrivo.Pro.plist", "d['QX']['ScrivoLogging']"),
              "{'EnableScrivoLogging': [10, 7]}");
    EXPECT_EQ(test::pythonPlist(run.layout.preferences / "com.norvane.Scrivo.Pro.plist", "'ScrivoLogging' in d['QX']"),
              "False");

    // The archive too is for the user alone.
    ASSERT_TRUE(archiveForUpload(run.sandbox.folders(), run.session, true, "a@b.io", "it broke").upload.ok());
    for (const fs::path& top : {run.sandbox.library() / "Tarvix", run.sandbox.home() / ".cache/Logs"})
        for (fs::recursive_directory_iterator it(top), end; it != end; ++it)
            EXPECT_TRUE(it->is_symlink() || (it->status().permissions() & fs::perms(077)) == fs::perms::none)
                << it->path();
}

TEST(Captures, SkippedOrImpossibleTasksLoseOnlyTheirOwnFile)
{
    struct Case {
        bool spinDump, targetGone, declined;
        std::vector<std::string> statuses, lines;
    };
    const std::string declined = "Error executing command as another user: Request dismissed",
                      refused =
                          "INFO: {NSAppleScriptErrorMessage = \"" + declined + "\"; NSAppleScriptErrorNumber = 126;}",
                      missing = "INFO: {NSAppleScriptErrorMessage = \"/bin/sh: 1: system_profiler: not found\"; "
                                "NSAppleScriptErrorNumber = 127;}";
    for (const auto& c :
         {Case{false, false, false, {kCollect}, {}}, Case{true, true, false, {kProfile, kCollect}, {missing}},
          Case{true, false, true, {kDump, kProfile, kCollect}, {missing, refused}}}) {
        CaptureSandbox run(c.declined ? "echo '" + declined + "' >&2\nexit 126\n" : "exec \"$@\"\n");
        fs::remove(run.libexec() / "system_profiler");
        run.startSession();
        fs::remove(run.layout.preferences / "com.norvane.crashreporter.plist");  // a source a machine may lack
        if (c.targetGone) run.instance->stop();
        run.capture(/*installedApps=*/true, c.spinDump);
        EXPECT_EQ(run.status->history(), c.statuses);
        EXPECT_FALSE(fs::exists(run.output / "spinReport.txt"));
        EXPECT_TRUE(fs::is_directory(run.output / "ScrivoLog"));
        EXPECT_EQ(run.logHas("WARNING: Scrivo process is not running. ProcessId: " + run.session.processId),
                  c.targetGone);
        for (const auto& line : c.lines) EXPECT_TRUE(run.logHas(line)) << line;
        EXPECT_EQ(run.sandbox.logText().find("did not collect everything"), std::string::npos);
    }
}

TEST(Captures, TheOutputPathAndTheProcessIdNeverReachTheShell)
{
    CaptureSandbox run;
    const auto& services = run.sandbox.platform();
    // No workspace: the command lines would name the root folder, so nothing runs.
    Session session{.processId = "4242"};
    EXPECT_FALSE(tarvix::ProcessExecution::runSpinDump(services, session));
    EXPECT_FALSE(tarvix::ProcessExecution::runSystemProfiler(services, session));

    tarvix::platform::Folders changed = run.sandbox.folders();
    changed.library = run.sandbox.root() / "line\nbreak" / "Library";
    auto workspace = tarvix::UtilityFunctions::CreateOutputDirectories(changed);
    ASSERT_TRUE(workspace.ok());
    session.output = workspace->tempTimeStampedURL;
    EXPECT_FALSE(tarvix::ProcessExecution::runSpinDump(services, session));
    EXPECT_TRUE(run.logHas("ERROR: Spindump skipped: the output folder's path contains a line break."));
    session.processId = "1; touch pwned";
    EXPECT_FALSE(tarvix::ProcessExecution::runSpinDump(services, session));
    EXPECT_TRUE(fs::is_empty(run.records)) << "a tool ran";

    // Quotes stay literal: the files land in the folder of that exact name.
    changed.library = run.sandbox.root() / "it's \"q\" $(touch pwned)" / "Library";
    workspace = tarvix::UtilityFunctions::CreateOutputDirectories(changed);
    ASSERT_TRUE(workspace.ok());
    session = {.output = workspace->tempTimeStampedURL, .processId = "4242"};
    EXPECT_EQ(tarvix::platform::describe(tarvix::ProcessExecution::runSpinDump(services, session)), "nil");
    EXPECT_EQ(tarvix::platform::describe(tarvix::ProcessExecution::runSystemProfiler(services, session)), "nil");
    EXPECT_EQ(test::readFile(*session.output / "spinReport.txt"), "Process: 4242\n");
    EXPECT_EQ(test::readFile(*session.output / "sysinfo.xml"), "Applications:\n\n    Scrivo:\n");
    EXPECT_FALSE(fs::exists(run.sandbox.root() / "pwned"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

TEST(Captures, ToolsThatOthersCanChangeNeverRunElevated)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs folders that only root can change";
    // The user's folder, a folder above anyone may write to, a tool its group may write, no tool.
    for (int weakness = 0; weakness < 4; ++weakness) {
        CaptureSandbox run;
        const fs::path tool = run.libexec() / "spindump", output = run.sandbox.root() / "out";
        const std::string writable = " is writable by others than root", missing = ": No such file or directory";
        const std::pair<fs::path, std::string> expected[] = {{run.libexec(), " belongs to user 65534, not root"},
                                                             {run.sandbox.root(), writable},
                                                             {tool, writable},
                                                             {tool, missing}};
        ASSERT_TRUE(weakness != 0 || ::chown(run.libexec().c_str(), 65534, 65534) == 0);
        if (weakness == 1) fs::permissions(run.sandbox.root(), fs::perms::all);
        if (weakness == 2) fs::permissions(tool, fs::perms::group_write, fs::perm_options::add);
        if (weakness == 3) fs::remove(tool);
        fs::create_directories(output);
        const auto result =
            tarvix::ProcessExecution::runSpinDump(run.sandbox.platform(), {.output = output, .processId = "1"});
        EXPECT_FALSE(fs::exists(run.records / "elevate.args")) << weakness;
        EXPECT_TRUE(run.logHas("WARNING: Spindump runs without administrator privileges: " +
                               expected[weakness].first.string() + expected[weakness].second))
            << weakness;
        // Unelevated, it still samples what the user may sample; a missing tool ends as in a shell.
        EXPECT_EQ(tarvix::platform::describe(result), weakness < 3
                                                          ? "nil"
                                                          : "{NSAppleScriptErrorMessage = \"" + tool.string() +
                                                                missing + "\"; NSAppleScriptErrorNumber = 127;}")
            << weakness;
    }
}
