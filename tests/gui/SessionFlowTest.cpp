// The window's flows offscreen, with the real core, the sample target and the local log server:
// refusals, failures, and a closed window's flows beside the next window's (the whole walk as a
// person makes it is the end-to-end test's).
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "GuiSession.h"
#include "core/workspace/SharedValues.h"
#include "platform/Clock.h"
#include "sample_target/SampleInstall.h"
#include "support/LogServer.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::test::GuiSession;
using tarvix::test::LogServer;
using testing::Contains;
using testing::IsSupersetOf;

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

/// Holds the log server's answers back (the process stopped) for as long as it lives.
struct HeldServer {
    pid_t pid = std::stoi(tarvix::test::runCommand("pgrep -P " + std::to_string(::getpid()) + " tarvix-logserv"));
    HeldServer() { ::kill(pid, SIGSTOP); }
    ~HeldServer() { ::kill(pid, SIGCONT); }
};

}  // namespace

TEST(SessionFlow, RefusedStartAndFailedPackagingLeaveTheWindowUsable)
{
    GuiSession session;
    session.open();
    session.clickControl("Start monitoring");
    EXPECT_EQ(session.takeAlert(), "No Scrivo installation detected|No Scrivo installation found on this device. "
                                   "Please install Scrivo and then start troubeshooting.|OK");
    ASSERT_TRUE(session.waitIdle());
    EXPECT_EQ(session.regions(), "capturePanel statusLine primaryButton");
    EXPECT_FALSE(session.view().advanceLogToggleDisabled());

    tarvix::sample::install(session.sandbox().root());
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

TEST(SessionFlow, AClosedWindowsFlowsFinishInTheBackgroundAndNeverTouchTheNextSession)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    GuiSession session;
    const auto sample = tarvix::sample::install(session.sandbox().root(), {.glance = true});
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    reachLogsReady(session);
    const fs::path first = session.view().sessionFolder().value();
    // A large session, so packaging takes a while; then the server holds its upload back.
    std::ofstream(first / "Scrivo/large.log");
    fs::resize_file(first / "Scrivo/large.log", 1 << 28);
    std::optional<HeldServer> held(std::in_place);
    const auto closed = session.view().state();
    session.item("descriptionInput")->forceActiveFocus();
    session.type("First window");
    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitUntil([&] { return closed->logLabel.get() == "Compressing logs."; }));
    EXPECT_LT(session.close().count(), 1000) << "closing waits for nothing";
    EXPECT_EQ(closed->logLabel.get(), "Compressing logs.") << "the share goes on";
    ASSERT_TRUE(session.waitUntil([&] { return closed->startButtonLabel.get() == "Stop upload"; }));

    // The next window, its first start refused: the retry makes the one new session folder.
    session.waitUntil([&] {
        return platform::formatTime(std::time(nullptr), "%Y%m%d%H%M%S", platform::TimeZone::local) != first.filename();
    });
    session.open();
    {
        tarvix::sample::RunningInstance scrivo(sample.scrivoBundle), glance(sample.glanceBundle);
        session.clickControl("Start monitoring");
        EXPECT_EQ(session.takeAlert().substr(0, 38), "Multiple instances of Scrivo detected|");
        ASSERT_TRUE(session.waitIdle());
    }
    reachLogsReady(session);
    const fs::path second = session.view().sessionFolder().value();
    EXPECT_NE(second, first);
    EXPECT_THAT(session.sandbox().logMessages(),
                Contains("--------------Application restarted without quitting--------------").Times(1));
    EXPECT_EQ(session.regions(), "feedbackForm logsGeneratedPanel primaryButton");
    EXPECT_TRUE(session.control("view logs"));
    session.clickControl("Share logs");
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Desciption is required"); }));
    EXPECT_TRUE(session.view().primaryButtonDisabled());
    EXPECT_FALSE(fs::exists(second / "UserEmailFeedback.json"));

    // Its own upload stopped (Return in the address shares as the button does), the first
    // window's goes on, succeeds and removes only its own folder.
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Second window\tanne@example.org\r");
    share(session, "Stop upload", false);
    EXPECT_FALSE(session.control("view logs")) << "the locked form hides it";
    session.clickControl("Stop upload");
    ASSERT_TRUE(session.waitUntil([&] { return session.textShown("Upload cancelled."); }));
    held.reset();
    ASSERT_TRUE(session.waitUntil([&] { return closed->startButtonLabel.get() == "Close"; }));
    EXPECT_FALSE(fs::exists(first));
    const fs::path archive = second / ("scrivoMacLog_" + UtilityFunctions::UniqueId() + "_abc.zip");
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
}

TEST(SessionFlow, AClosedWindowsUploadAndCaptureWriteOnlyIntoTheirOwnWindow)
{
    if (const auto why = LogServer::unavailable(); !why.empty()) GTEST_SKIP() << why;
    GuiSession session;
    const auto sample = tarvix::sample::install(session.sandbox().root());
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    const auto aNewSecond = [&] {
        const auto now = [] { return platform::formatTime(std::time(nullptr), "%H%M%S", platform::TimeZone::local); };
        const std::string stamp = now();
        session.waitUntil([&] { return now() != stamp; });
    };

    // The first window closes while its upload is held back; the archive does not compress, so
    // the upload shows its progress on the way.
    session.open();
    reachLogsReady(session);
    const auto uploading = session.view().state();
    tarvix::test::runCommand("head -c 8388608 /dev/urandom > " +
                             tarvix::test::shellWord(session.view().sessionFolder().value() / "Scrivo/random.log"));
    std::optional<HeldServer> held(std::in_place);
    session.item("descriptionInput")->forceActiveFocus();
    session.type("Uploading");
    share(session, "Stop upload");
    session.close();

    // The second window closes while its data dump waits for a gate.
    const fs::path gate = session.sandbox().root() / "gate", libexec = session.sandbox().root() / "libexec";
    tarvix::test::writeFile(libexec / "spindump",
                            "#!/bin/sh\nuntil [ -e " + tarvix::test::shellWord(gate) + " ]; do sleep 0.05; done\n",
                            true);
    session.sandbox().platform().folders.libexec = libexec;
    tarvix::sample::RunningInstance scrivo(sample.scrivoBundle);
    aNewSecond();
    session.open();
    session.view().setGetSpinDump(true);
    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    ASSERT_TRUE(session.waitIdle());
    const auto capturing = session.view().state();
    session.clickControl("Stop monitoring");
    ASSERT_TRUE(session.waitUntil([&] { return capturing->logLabel.get() == "Capturing Scrivo data dump."; }));
    session.close();

    // The third window's status text stays its own while both finish.
    aNewSecond();
    session.open();
    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    ASSERT_TRUE(session.waitIdle());
    std::vector<std::string> shown;
    QObject::connect(&session.view(), &tarvix::app::ContentView::logLabelChanged,
                     [&] { shown.push_back(session.view().logLabel().toStdString()); });
    held.reset();
    tarvix::test::writeFile(gate);
    EXPECT_TRUE(session.waitUntil([&] {
        return uploading->startButtonLabel.get() == "Close" && capturing->startButtonLabel.get() == "Share logs";
    }));
    EXPECT_EQ(shown, std::vector<std::string>{});
    EXPECT_EQ(session.view().logLabel(),
              "Please reproduce the steps that led to the issue and then select Stop monitoring");
}
