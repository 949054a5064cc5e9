// The window's flows offscreen, with the real core, the sample target and the local log server:
// refusals, failures, and a closed window's flows beside the next window's (the whole walk as a
// person makes it is the end-to-end test's).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QNetworkInformation>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "GuiSession.h"
#include "core/workspace/SharedValues.h"
#include "platform/Clock.h"
#include "sample_target/SampleInstall.h"
#include "support/LogServer.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::app::Phase;
using tarvix::app::ReviewModel;
using tarvix::test::GuiSession;
using tarvix::test::HeldServer;
using tarvix::test::LogServer;
using testing::AllOf;
using testing::Contains;
using testing::EndsWith;
using testing::HasSubstr;
using testing::IsSupersetOf;
using testing::StartsWith;

namespace {

void reachLogsReady(GuiSession& session)
{
    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    ASSERT_TRUE(session.waitIdle());
    session.clickControl("Stop monitoring");
    ASSERT_TRUE(session.waitForLabel("Share logs"));
    ASSERT_TRUE(session.waitUntil([&] { return !session.view().primaryButtonDisabled(); }));
}

void share(GuiSession& session, const char* label, bool clicked = true)
{
    if (clicked) session.clickControl("Share logs");
    ASSERT_TRUE(session.waitForLabel(label)) << session.sandbox().logText();
    ASSERT_TRUE(session.waitIdle());
}

/// What in the workspace group or others may reach (a link has no access of its own).
std::vector<std::string> openToOthers(GuiSession& session)
{
    std::vector<std::string> open;
    for (const auto& entry : fs::recursive_directory_iterator(session.sandbox().library() / "Tarvix"))
        if (!entry.is_symlink() &&
            (entry.status().permissions() & (fs::perms::group_all | fs::perms::others_all)) != fs::perms::none)
            open.push_back(entry.path().string());
    return open;
}

}  // namespace

TEST(SessionFlow, FailedPackagingLeavesTheWindowUsable)
{
    GuiSession session;
    tarvix::sample::install(session.sandbox().root());
    session.open();
    reachLogsReady(session);
    // The scratch folder the archive is built in is a plain file: zip cannot write the archive.
    const fs::path scratch = session.sandbox().library() / "Tarvix/temp";
    fs::remove_all(scratch);
    tarvix::test::writeFile(scratch, "not a folder");
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Slow start");
    share(session, "Share logs");
    EXPECT_THAT(session.sandbox().logMessages(), Contains("ERROR: unable to copy compressed file."));
    EXPECT_FALSE(session.item("descriptionInput")->isEnabled());
    EXPECT_FALSE(session.shown("failurePanel"));
    share(session, "Share logs");
    EXPECT_TRUE(session.shown("failurePanel"));
    EXPECT_THAT(session.sandbox().logMessages(), Contains("ERROR: No compressed logs to upload."));
}

// The test orders each step's start and each upload's answer against the presses: an answer
// applies only while its upload is the window's latest, and a press while a step runs starts nothing.
TEST(SessionFlow, AnswersHeldPastAPhaseChangeApplyOnlyToTheirOwnUpload)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    // p: the primary button; s: the oldest held step runs; u: the oldest held upload answer
    // applies; 1, 2: once that many upload answers are held, the oldest arrives and changes
    // nothing; r: the server answers again. "psp" reaches "Share logs": Start, its step, Stop.
    const struct {
        const char* name;
        bool heldServer;
        std::string actions;
        Phase phase;
        std::string status;
        tarvix::app::SecondaryError reason = tarvix::app::SecondaryError::none;
    } rows[] = {
        {"a second press while the start's step is held", false, "pps", Phase::monitoring,
         "Please reproduce the steps that led to the issue and then select Stop monitoring"},
        {"the upload's answer before any change", false, "psp psus", Phase::sent, ""},
        {"a cancelled upload's answer after Stop", true, "psp psp u", Phase::failed, "Uploading 0%",
         tarvix::app::SecondaryError::canceled},
        {"the first upload's answer while the next share packages", false, "psp psp p1sus", Phase::sent, ""},
        {"the first upload's answer after the next upload started", false, "psp psp ps2us", Phase::sent, ""},
        {"a cancelled upload's answer after the next upload started", true, "psp psp psr2us", Phase::sent, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GuiSession session;
        tarvix::sample::install(session.sandbox().root());
        LogServer server;
        ASSERT_TRUE(server.running()) << server.output();
        std::optional<HeldServer> held;
        if (row.heldServer) held.emplace();
        session.open();
        const auto controller = session.view().controller();
        std::vector<std::pair<std::string, std::function<void()>>> waiting;
        controller->setHold(
            [&](const char* what, std::function<void()> resume) { waiting.emplace_back(what, std::move(resume)); });
        const auto heldCount = [&](const std::string& what) {
            return std::count_if(waiting.begin(), waiting.end(), [&](const auto& w) { return w.first == what; });
        };
        const auto takeOldest = [&](const std::string& what) {
            const auto oldest =
                std::find_if(waiting.begin(), waiting.end(), [&](const auto& w) { return w.first == what; });
            auto resume = std::move(oldest->second);
            waiting.erase(oldest);
            return resume;
        };
        const auto shown = [&] {
            std::string labels;
            for (const auto& w : waiting) labels += w.first + ";";
            return std::tuple(controller->phase(), controller->statusText(), controller->failureReason(),
                              controller->busy(), labels);
        };
        for (const char action : row.actions) {
            switch (action) {
            case 'p':
                session.view().primaryButtonAction();
                ASSERT_TRUE(session.waitUntil([&] { return controller->phase() != Phase::collecting; }));
                if (controller->phase() == Phase::logsReady) session.view().setFeedbackText("Race");
                break;
            case 's':
                ASSERT_EQ(heldCount("step"), 1) << "steps held";
                takeOldest("step")();
                ASSERT_TRUE(session.waitIdle());
                break;
            case 'u':
                ASSERT_TRUE(session.waitUntil([&] { return heldCount("upload answer") > 0; }));
                takeOldest("upload answer")();
                QCoreApplication::processEvents();
                break;
            case '1':
            case '2': {
                ASSERT_TRUE(session.waitUntil([&] { return heldCount("upload answer") == action - '0'; }));
                const auto resume = takeOldest("upload answer");
                const auto before = shown();
                resume();
                QCoreApplication::processEvents();
                ASSERT_EQ(shown(), before) << "the stale answer changed the window";
                break;
            }
            case 'r': held.reset(); break;
            }
        }
        EXPECT_EQ(controller->phase(), row.phase);
        EXPECT_EQ(controller->statusText(), row.status);
        EXPECT_EQ(controller->failureReason(), row.reason);
        EXPECT_TRUE(waiting.empty()) << waiting.front().first << " left held";
        EXPECT_THAT(session.sandbox().logMessages(),
                    Contains("INFO: Start monitoring pressed.Advanced Log Checkbox: No").Times(1));
    }
}

TEST(SessionFlow, ClosedWindowsFlowsFinishInTheBackgroundAndNeverTouchTheNextSession)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    ::umask(022);
    GuiSession session;
    const auto sample = tarvix::sample::install(session.sandbox().root(), {.glance = true});
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    // A session folder is named by the second: the next window opens a second later.
    const auto openNext = [&](const fs::path& last) {
        session.waitUntil([&] {
            return tarvix::platform::formatTime(std::time(nullptr), "%Y%m%d%H%M%S",
                                                tarvix::platform::TimeZone::local) != last.filename();
        });
        session.open();
    };
    // The first window closes while its data dump waits for a gate.
    const fs::path gate = session.sandbox().root() / "gate", libexec = session.sandbox().root() / "libexec";
    tarvix::test::writeFile(libexec / "spindump",
                            "#!/bin/sh\nuntil [ -e " + tarvix::test::shellWord(gate) + " ]; do sleep 0.05; done\n",
                            true);
    session.sandbox().platform().folders.libexec = libexec;
    std::optional<tarvix::sample::RunningInstance> scrivo(std::in_place, sample.scrivoBundle);
    session.open();
    session.view().setGetSpinDump(true);
    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    ASSERT_TRUE(session.waitIdle());
    const auto capturing = session.view().controller();
    session.clickControl("Stop monitoring");
    ASSERT_TRUE(session.waitUntil([&] { return capturing->statusText() == "Capturing Scrivo data dump."; }));
    session.close();
    scrivo.reset();

    openNext(capturing->sessionFolder().value());
    reachLogsReady(session);
    const fs::path first = session.view().sessionFolder().value();
    EXPECT_THAT(openToOthers(session), testing::IsEmpty()) << "after Stop";
    // A large session, so packaging takes a while; then the server holds its upload back.
    std::ofstream(first / "Scrivo/large.log");
    fs::resize_file(first / "Scrivo/large.log", 1 << 28);
    std::optional<HeldServer> held(std::in_place);
    const auto closed = session.view().controller();
    session.item("descriptionInput")->forceActiveFocus();
    session.type("First window");
    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitUntil([&] { return closed->statusText() == "Compressing logs."; }));
    // Closing waited for nothing: the compression is where it was, and goes on.
    session.close();
    EXPECT_EQ(closed->statusText(), "Compressing logs.") << "the share goes on";
    ASSERT_TRUE(session.waitUntil([&] { return closed->phase() == Phase::uploading; }));

    // The next window, its first start refused: the retry makes the one new session folder.
    openNext(first);
    {
        tarvix::sample::RunningInstance scrivo(sample.scrivoBundle), glance(sample.glanceBundle);
        session.clickControl("Start monitoring");
        EXPECT_EQ(session.takeAlert().substr(0, 38), "Multiple instances of Scrivo detected|");
        ASSERT_TRUE(session.waitIdle());
    }
    reachLogsReady(session);
    const fs::path second = session.view().sessionFolder().value();
    EXPECT_NE(second, first);
    const auto lines = session.sandbox().logMessages();
    EXPECT_THAT(lines, Contains("--------------Application restarted without quitting--------------").Times(2));
    // Both presses of this window follow the workspace lines its first press caused.
    const auto created = std::find(lines.begin(), lines.end(), "INFO: Directory created: " + second.string());
    EXPECT_EQ(
        std::count_if(created, lines.end(),
                      [](const std::string& line) { return line.starts_with("INFO: Start monitoring pressed."); }),
        2);
    EXPECT_EQ(session.regions(), "feedbackForm logsGeneratedPanel primaryButton");
    EXPECT_TRUE(session.control("view logs"));

    // Its own upload stopped (Return in the address shares as the button does), the closed
    // windows' flows go on and end; the sharing one's removes only its own folder.
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Second window\tanne@example.org\r");
    share(session, "Stop upload", false);
    EXPECT_FALSE(session.control("view logs")) << "the locked form hides it";
    session.clickControl("Stop upload");
    ASSERT_TRUE(session.waitUntil([&] { return session.textShown("Upload cancelled."); }));
    std::vector<std::string> shown;
    QObject::connect(&session.view(), &tarvix::app::ContentView::logLabelChanged,
                     [&] { shown.push_back(session.view().logLabel().toStdString()); });
    held.reset();
    tarvix::test::writeFile(gate);
    ASSERT_TRUE(session.waitUntil([&] { return closed->phase() == Phase::sent; }));
    ASSERT_TRUE(session.waitUntil([&] { return capturing->phase() == Phase::logsReady; }));
    EXPECT_EQ(shown, std::vector<std::string>{}) << "a closed window's flow wrote into this one";
    EXPECT_FALSE(fs::exists(first));
    const fs::path archive = second / ("scrivoMacLog_" + tarvix::UtilityFunctions::UniqueId() + "_abc.zip");
    const std::string archiveBytes = tarvix::test::readFile(archive);
    EXPECT_FALSE(archiveBytes.empty()) << "the second session keeps its archive";

    // A refusal shows no reason; the retry sent the archive built the first time.
    ASSERT_TRUE(server.restart({.status = 500}));
    share(session, "Share logs");
    ASSERT_TRUE(session.waitUntil([&] { return session.shown("failurePanel"); }));
    EXPECT_EQ(session.item("failureReason")->property("text").toString(), "");
    EXPECT_THAT(session.sandbox().logMessages(),
                IsSupersetOf({"ERROR: error code:1", "ERROR: error domain:com.tarvix.upload",
                              "ERROR: Other network error: Internal Server Error.",
                              "ERROR: userInfo: Internal Server Error."}));
    EXPECT_TRUE(server.received().back().file == archiveBytes) << "the archive is built once";
    EXPECT_THAT(openToOthers(session), testing::IsEmpty()) << "after Share";
}

// The half of tests/polkit/polkit_test.sh that runs as an unprivileged account, through the real
// pkexec and polkitd: a Stop with both options, then a share. TARVIX_TEST_ELEVATION is "granted"
// when a rule lets this account run the tool at TARVIX_TEST_LIBEXEC, "refused" under the shipped
// defaults with no authentication agent.
TEST(SessionFlowChild, AdvancedStopThroughPkexecThenShare)
{
    const char* elevation = std::getenv("TARVIX_TEST_ELEVATION");
    const char* libexec = std::getenv("TARVIX_TEST_LIBEXEC");
    ASSERT_TRUE(elevation && libexec);
    const bool granted = std::string(elevation) == "granted";
    GuiSession session;
    tarvix::platform::Folders& folders = session.sandbox().platform().folders;
    folders.libexec = libexec;
    folders.elevationCommand = {"/usr/bin/pkexec"};
    tarvix::sample::RunningInstance scrivo(tarvix::sample::install(session.sandbox().root()).scrivoBundle);
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    session.clickControl("Advanced logs");
    ASSERT_TRUE(session.waitUntil([&] { return session.control("Installed app information"); }));
    session.clickControl("Installed app information");
    reachLogsReady(session);

    const fs::path output = session.view().sessionFolder().value() / "Scrivo";
    const auto log = session.sandbox().logMessages();
    EXPECT_THAT(log, Contains(StartsWith("INFO: Spindump shell script: do shell script \"spindump " +
                                         std::to_string(scrivo.pid()) + " -file '")));
    EXPECT_TRUE(fs::exists(output / "sysinfo.xml")) << "the run goes on after the data dump";
    struct stat report {};
    if (granted) {
        EXPECT_THAT(log, Contains("INFO: nil").Times(2)) << session.sandbox().logText();
        ASSERT_EQ(::stat((output / "spinReport.txt").c_str(), &report), 0) << session.sandbox().logText();
        EXPECT_EQ(report.st_uid, ::getuid());
        EXPECT_EQ(report.st_mode & 07777, 0600u);
        const std::string text = tarvix::test::readFile(output / "spinReport.txt");
        EXPECT_THAT(text, HasSubstr("Identifier:         com.norvane.Scrivo.Pro"));
        EXPECT_THAT(text, HasSubstr(" [" + std::to_string(scrivo.pid()) + "]\n"));
    } else {
        EXPECT_FALSE(fs::exists(output / "spinReport.txt"));
        EXPECT_THAT(
            log, Contains(AllOf(StartsWith("INFO: {NSAppleScriptErrorMessage = \""), HasSubstr("authentication agent"),
                                EndsWith("\"; NSAppleScriptErrorNumber = 127;}"))))
            << session.sandbox().logText();
    }

    for (const std::string& line : log)  // for the script's record
        if (line.starts_with("INFO: Spindump") || line.starts_with("INFO: {") || line == "INFO: nil")
            std::cout << line << "\n";

    session.item("descriptionInput")->forceActiveFocus();
    session.type("Slow start");
    share(session, "Close");
    ASSERT_EQ(server.received().size(), 1u) << session.sandbox().logText();
    EXPECT_EQ(server.received()[0].file.find("spinReport.txt") != std::string::npos, granted);
}

TEST(SessionFlow, TheReviewsChoicesReachTheArchiveAndLockOnceItIsBuilt)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    GuiSession session;
    tarvix::sample::install(session.sandbox().root());
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    reachLogsReady(session);
    tarvix::test::writeFile(session.view().sessionFolder().value() / "Scrivo/ScrivoLog/review.log",
                            "Opened\r\nthe Needle\nand a needle\n");
    // Sorted last; with names hidden it cannot be (it does not parse), so it is left out.
    tarvix::test::writeFile(session.view().sessionFolder().value() / "Scrivo/zz-broken.plist", "bplist00 torn");
    // Before it, gzip-compressed content whatever its name: with names hidden it cannot be sent.
    tarvix::test::writeFile(session.view().sessionFolder().value() / "Scrivo/zy-rotated.log",
                            std::string("\x1f\x8b\x08\0qzxuser", 11));
    session.sandbox().platform().folders.identity =
        tarvix::platform::Identity{"qzxuser", "Qzx Name", "/qz/home", "qzxhost", ""};
    auto& review = *session.view().review();
    const auto path = [&](int row) { return review.data(review.index(row), ReviewModel::PathRole).toString(); };
    // The visible button, link or check box a screen reader names so.
    const auto named = [&](const QString& name) -> QAccessibleInterface* {
        QQuickItem* found = session.find([&](QQuickItem* item) {
            return item->inherits("QQuickAbstractButton") &&
                   QAccessible::queryAccessibleInterface(item)->text(QAccessible::Name) == name;
        });
        return found ? QAccessible::queryAccessibleInterface(found) : nullptr;
    };
    // Scrolled to first: the list makes the rows out of sight only over the next frames.
    const auto box = [&](int row) {
        QMetaObject::invokeMethod(session.item("reviewList"), "positionViewAtIndex", Q_ARG(int, row),
                                  Q_ARG(int, 4 /* ListView.Contain */));
        session.waitUntil([&] { return named(path(row)); });
        return named(path(row));
    };
    const auto act = [&](const QString& name, const QString& action) {
        QAccessibleInterface* control = named(name);
        ASSERT_TRUE(control) << name.toStdString();
        control->actionInterface()->doAction(action);
    };
    const auto toggle = [&](int row) {
        box(row)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    const auto openReview = [&] {
        act("review what is sent", QAccessibleActionInterface::pressAction());
        return session.waitUntil([&] { return !review.loading() && named(path(0)); });
    };
    ASSERT_TRUE(openReview());
    EXPECT_EQ(session.regions(), "") << "the review shows in place of the window's content";
    const int rows = review.rowCount();
    ASSERT_GT(rows, 2);
    const QString everything = review.totalSize();

    // The keyboard clears the first box, a screen reader every other: the last stays, and the
    // review says why.
    QTest::keyClick(&session.window(), Qt::Key_Tab);
    QTest::keyClick(&session.window(), Qt::Key_Space);
    EXPECT_FALSE(box(0)->state().checked);
    // A link's box is its target's: clearing a log clears "latest.log → " it.
    for (int row = 1; row < rows; ++row)
        if (box(row)->state().checked) toggle(row);
    EXPECT_TRUE(box(rows - 1)->state().checked);
    EXPECT_TRUE(session.textShown("At least one file must be sent: the description alone does not help support."));
    int link = 0;
    while (link < rows && !path(link).contains(" → ")) ++link;
    ASSERT_LT(link, rows);
    toggle(link);
    EXPECT_EQ(review.fileCount(), 3) << "the link, its target and the last file";
    EXPECT_NE(review.totalSize(), everything) << "the total counts only the files sent";
    for (int row = 1; row < rows - 1; ++row)
        if (!box(row)->state().checked) toggle(row);
    EXPECT_EQ(review.fileCount(), rows - 1);
    act("Hide my name and computer", QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(review.hideIdentity());
    EXPECT_TRUE(box(rows - 2)->state().disabled && !box(rows - 2)->state().checked);
    EXPECT_TRUE(session.textShown("left out: compressed, names cannot be hidden in it"));
    session.item("reviewWords")->forceActiveFocus();
    session.type("Needle, ");
    QTest::keyClick(&session.window(), Qt::Key_Return);
    EXPECT_EQ(review.extraWords(), "Needle");
    QDir().mkpath(TARVIX_GUI_OUTPUT_DIR);
    session.window().grabWindow().save(TARVIX_GUI_OUTPUT_DIR "/window-review.png");

    // A log opens in the viewer, where a search finds line after line, ignoring case; Escape
    // leaves the viewer, then the review, and the focus returns to the link.
    int log = 0;
    while (log < rows && path(log) != "Scrivo/ScrivoLog/review.log") ++log;
    ASSERT_LT(log, rows);
    box(log);
    act("open " + path(log), QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(session.waitUntil([&] { return review.previewPath() == path(log); }));
    EXPECT_EQ(review.previewLines(), QStringList({"Opened", "the Needle", "and a needle", ""}));
    session.item("viewerSearch")->setProperty("text", "NEEDLE");
    for (const int line : {1, 2, 1}) {
        session.clickControl("Find next");
        EXPECT_EQ(session.item("viewerLines")->property("currentIndex").toInt(), line);
    }
    QTest::keyClick(&session.window(), Qt::Key_Escape);
    EXPECT_TRUE(session.waitUntil([&] { return session.control("close"); }));
    QTest::keyClick(&session.window(), Qt::Key_Escape);
    EXPECT_TRUE(session.waitUntil([&] { return session.shown("feedbackForm"); }));
    EXPECT_EQ(session.window().activeFocusItem(), session.item("reviewLink"));

    // Packaged, its upload cancelled: the failure panel's link shows the same choices, locked,
    // and says so.
    std::optional<HeldServer> held(std::in_place);
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Left one out");
    // The proof refuses a name form the hider missed: that file stays home, and the next share
    // packages again without it.
    tarvix::test::writeFile(session.view().sessionFolder().value() / "Scrivo/ScrivoLog/zz-signed.log", "Qzx.Name\n");
    const auto controller = session.view().controller();
    tarvix::ShareChoices forms = controller->shareChoices();
    forms.hiderForms = tarvix::HiderForms::withoutNameVariants;
    ASSERT_TRUE(controller->setShareChoices(forms));
    share(session, "Share logs");
    EXPECT_EQ(controller->statusText(), "Not hidden, left out: Scrivo/ScrivoLog/zz-signed.log");
    forms = controller->shareChoices();
    forms.hiderForms = tarvix::HiderForms::all;
    ASSERT_TRUE(controller->setShareChoices(forms)) << "the refused share still counts as packaged";
    share(session, "Stop upload");
    session.clickControl("Stop upload");
    ASSERT_TRUE(session.waitUntil([&] { return session.shown("failurePanel"); }));
    ASSERT_TRUE(openReview());
    EXPECT_TRUE(session.textShown("The logs are packaged. These choices can no longer change."));
    for (const int row : {0, 1}) {
        toggle(row);
        EXPECT_TRUE(box(row)->state().disabled);
        EXPECT_EQ(box(row)->state().checked, row == 1);
    }
    EXPECT_TRUE(named("Hide my name and computer")->state().disabled);
    EXPECT_FALSE(box(rows - 1)->state().checked) << "a file that could not be hidden shows as left out";
    act("close", QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(
        session.waitUntil([&] { return session.window().activeFocusItem() == session.item("failureReviewLink"); }));
    held.reset();
    share(session, "Close");
    // The words typed reach the archive (what is left out is the end-to-end test's and the core's).
    const tarvix::test::TempDir scratch;
    tarvix::test::writeFile(scratch.path() / "received.zip", server.received().back().file);
    EXPECT_EQ(tarvix::test::runCommand("unzip -p " + (scratch.path() / "received.zip").string() +
                                       " Scrivo/ScrivoLog/review.log"),
              "Opened\r\nthe word1\nand a word1\n");
}

TEST(SessionFlow, TheNetworkComingBackSendsAKeptReportLongBeforeItsSchedule)
{
    const std::string output = tarvix::test::runCommand(
        tarvix::test::childCommand("SessionFlowChild.TheNetworkComingBackSendsAKeptReportLongBeforeItsSchedule") +
        " 2>&1");
    EXPECT_THAT(output, HasSubstr("[  PASSED  ] 1 test.")) << output;
}

// In a process of its own, so that the network information loads its backend over a private bus
// standing in for the system bus, where a NetworkManager says it is offline until told otherwise.
TEST(SessionFlowChild, TheNetworkComingBackSendsAKeptReportLongBeforeItsSchedule)
{
    using namespace std::chrono_literals;
    tarvix::test::TempDir busFolder;
    QProcess bus, networkManager;  // stopped in reverse order
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                              QString::fromStdString("--address=unix:path=" + (busFolder.path() / "bus").string())});
    ASSERT_TRUE(bus.waitForReadyRead(60000));
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.readLine().trimmed());
    networkManager.start("/usr/bin/python3", {TARVIX_FAKE_NETWORK_MANAGER});
    ASSERT_TRUE(QTest::qWaitFor([&] { return networkManager.canReadLine(); }, 60000));  // its name is owned
    GuiSession session;
    auto& reports = session.keepReports({.first = 5h, .longest = 5h, .giveUpAfter = 48h, .jitter = 0});
    session.open();
    tarvix::sample::install(session.sandbox().root());
    reachLogsReady(session);
    LogServer server({.status = 503});
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Slow start");
    share(session, "Share logs");
    ASSERT_TRUE(session.waitUntil([&] { return session.view().isSendLaterOffered(); }));
    session.clickControl("Send automatically when possible");
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Tarvix will send the report when it can."); }));
    EXPECT_FALSE(session.item("primaryButton")->isEnabled()) << "the window could share it once more";
    ASSERT_TRUE(session.waitUntil([&] { return reports.hasPending(); }));
    const QNetworkInformation* network = QNetworkInformation::instance();  // watched only with a report waiting
    ASSERT_TRUE(network && network->reachability() == QNetworkInformation::Reachability::Disconnected);

    // (The schedule's own retry is the end-to-end test's, after a restart.)
    ASSERT_TRUE(server.restart({}));
    networkManager.write("online\n");
    ASSERT_TRUE(session.waitUntil([&] {
        const auto listed = reports.reports();
        return !listed.isEmpty() && listed[0].toMap().value("state") == "sent";
    })) << session.sandbox().logText();
    const std::string name = session.view().sessionFolder()->filename().string();
    EXPECT_THAT(session.sandbox().logMessages(),
                Contains("INFO: Report " + name + " sent later. Log ID: " + tarvix::UtilityFunctions::UniqueId()));
    const auto received = server.received();
    ASSERT_EQ(received.size(), 2u);
    // Each apart, with the server's own account: a conjunction failed once under load and said nothing.
    EXPECT_EQ(received[1].answer + " " + received[1].check, "200 ok") << server.output();
    EXPECT_TRUE(received[1].file == received[0].file) << "the report sent later is not the kept archive";
    EXPECT_TRUE(session.control("reports"));
    EXPECT_FALSE(fs::exists(session.sandbox().library() / "Tarvix/Pending" / name));
}
