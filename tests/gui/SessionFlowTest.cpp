// Whole sessions in the offscreen window, pressed as a person would, against the sample target
// and the local log server.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <thread>

#include "GuiSession.h"
#include "core/workspace/SharedValues.h"
#include "sample_target/SampleInstall.h"
#include "support/LogServer.h"
#include "support/SampleTargetSupport.h"

namespace fs = std::filesystem;
using tarvix::test::GuiSession;
using tarvix::test::LogServer;

namespace {

/// Start with the installed (not running) sample, then Stop: the window reaches Logs ready.
void reachLogsReady(GuiSession& session)
{
    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    session.waitIdle();
    session.clickControl("Stop monitoring");
    ASSERT_TRUE(session.waitForLabel("Share logs"));
    ASSERT_TRUE(session.waitUntil([&] { return !session.view().primaryButtonDisabled(); }));
}

void typeDescriptionAndShare(GuiSession& session, const QString& description)
{
    ASSERT_TRUE(session.waitUntil([&] { return session.focusIs(tarvix::app::Field::feedback); }));
    session.type(description);
    ASSERT_EQ(session.view().feedbackText(), description);
    session.clickControl("Share logs");
}

std::string unzip(const std::string& option, const fs::path& archive, const std::string& member = "")
{
    return tarvix::test::runCommand("/usr/bin/unzip " + option + " " + tarvix::test::shellWord(archive) + " " + member);
}

std::string feedbackRecord(const fs::path& archive) { return unzip("-p", archive, "'*UserEmailFeedback.json'"); }

std::string expectedArchiveName() { return "scrivoMacLog_" + UtilityFunctions::UniqueId() + "_abc.zip"; }

}  // namespace

TEST(SessionFlow, WholeSessionFromStartToSentWithTheRunningTarget)
{
    if (!LogServer::available()) GTEST_SKIP() << LogServer::skipReason();
    GuiSession session;
    const auto sample = tarvix::sample::install(session.sandbox().root());
    tarvix::sample::RunningInstance scrivo(sample.scrivoBundle);
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    auto& view = session.view();

    EXPECT_EQ(session.regions(), "capturePanel statusLine primaryButton");
    session.screenshot("session-1-ready");

    session.clickControl("Start monitoring");
    ASSERT_TRUE(session.waitForLabel("Stop monitoring"));
    EXPECT_EQ(session.cell("logLabel"),
              "Please reproduce the steps that led to the issue and then select Stop monitoring");
    EXPECT_TRUE(view.advanceLogToggleDisabled());
    EXPECT_EQ(UtilityFunctions::ProcessId.get(), std::to_string(scrivo.pid()));
    session.waitIdle();
    session.screenshot("session-2-monitoring");

    // Collecting, then Logs ready.
    session.clickControl("Stop monitoring");
    ASSERT_TRUE(session.waitForLabel("Share logs"));
    EXPECT_EQ(session.cell("logLabel"), "Logging complete.");
    EXPECT_EQ(session.regions(), "feedbackForm logsGeneratedPanel primaryButton");
    EXPECT_TRUE(session.control("view logs"));
    EXPECT_FALSE(view.primaryButtonDisabled()) << "the form's appearance enables the button";
    EXPECT_TRUE(session.logged("INFO: Start monitoring pressed.Advanced Log Checkbox: No"));
    EXPECT_TRUE(session.logged("INFO: Stop Monitoring Queue Completed."));
    session.screenshot("session-3-logs-ready");

    // Without a description nothing is packaged.
    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitIdle());
    ASSERT_TRUE(session.waitUntil([&] { return view.primaryButtonDisabled(); }));
    EXPECT_TRUE(session.waitUntil([&] { return session.textShown("Desciption is required"); }));
    EXPECT_FALSE(UtilityFunctions::ShareButtonPressed);
    const fs::path sessionFolder = *UtilityFunctions::tempTimeStampedURL.get();
    EXPECT_FALSE(fs::exists(sessionFolder / "UserEmailFeedback.json"));
    session.screenshot("session-4-description-required");

    // Describe, give an address (tab moves there, spaces vanish) and share with Return.
    session.click("descriptionInput");
    session.type("Export to PDF hangs");
    EXPECT_FALSE(view.primaryButtonDisabled());
    QTest::keyClick(&session.window(), Qt::Key_Tab);
    ASSERT_TRUE(session.waitUntil([&] { return session.focusIs(tarvix::app::Field::email); }));
    EXPECT_EQ(view.feedbackText(), "Export to PDF hangs");
    session.type("ann e@example.org");
    QTest::keyClick(&session.window(), Qt::Key_Return);
    EXPECT_EQ(view.emailText(), "anne@example.org");

    ASSERT_TRUE(session.waitForLabel("Close")) << session.sandbox().logText();
    EXPECT_TRUE(view.formLocked());
    EXPECT_EQ(session.regions(), "sentPanel logsGeneratedPanel closeButton");
    EXPECT_EQ(session.cell("logLabel"), "");
    EXPECT_EQ(session.item("logId")->property("text").toString().toStdString(), UtilityFunctions::UniqueId());
    EXPECT_FALSE(fs::exists(sessionFolder)) << "the sent session folder is deleted";
    ASSERT_TRUE(server.waitForRequests(1));
    const auto upload = server.received().front();
    ASSERT_TRUE(upload.wellFormed) << upload.problem;
    EXPECT_EQ(upload.fileName, expectedArchiveName());
    const std::string listing = unzip("-Z1", upload.storedFile);
    EXPECT_NE(listing.find("UserEmailFeedback.json"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Scrivo/ScrivoLog/latest.log"), std::string::npos) << listing;
    const std::string record = feedbackRecord(upload.storedFile);
    EXPECT_NE(record.find("Export to PDF hangs"), std::string::npos) << record;
    EXPECT_NE(record.find("anne@example.org"), std::string::npos) << record;
    session.screenshot("session-5-sent");

    // copy puts exactly the Log ID on the clipboard; Close ends the application.
    QGuiApplication::clipboard()->setText("something else");
    session.clickControl("copy");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), UtilityFunctions::UniqueId());
    QTimer timeout;
    QObject::connect(&timeout, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    timeout.start(10000);
    QTimer::singleShot(0, [&] { session.clickControl("Close"); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "Close quits the application";
}

TEST(SessionFlow, RefusedStartsLeaveTheWindowReady)
{
    GuiSession session;
    session.open();
    const auto pressStart = [&] {
        session.clickControl("Start monitoring");
        ASSERT_TRUE(session.waitIdle());
        ASSERT_TRUE(session.waitUntil([&] { return !session.openAlerts().empty(); }));
        EXPECT_EQ(session.cell("startButtonLabel"), "Start monitoring");
        EXPECT_EQ(session.cell("logLabel"), " ");
        EXPECT_FALSE(session.view().advanceLogToggleDisabled());
    };
    pressStart();
    EXPECT_EQ(session.openAlerts().front(),
              "No Scrivo installation detected|No Scrivo installation found on this device. Please install Scrivo "
              "and then start troubeshooting.|OK");
    EXPECT_TRUE(session.logged("INFO: glanceInstalledUrls.isEmpty"));
    session.closeAlerts();

    tarvix::sample::Options both;
    both.glance = true;
    const auto sample = tarvix::sample::install(session.sandbox().root(), both);
    tarvix::sample::RunningInstance scrivo(sample.scrivoBundle);
    tarvix::sample::RunningInstance glance(sample.glanceBundle);
    pressStart();
    EXPECT_TRUE(session.logged("INFO: Scrivo multiple running instances."));
}

TEST(SessionFlow, FailedUploadCanBeRetriedAndCancelledWithoutRebuildingTheArchive)
{
    if (!LogServer::available()) GTEST_SKIP() << LogServer::skipReason();
    GuiSession session;
    tarvix::sample::install(session.sandbox().root());
    LogServer::Behaviour refuse;
    refuse.status = 500;
    refuse.body = "{\"error\":\"boom\"}";
    LogServer server(refuse);
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    reachLogsReady(session);
    typeDescriptionAndShare(session, "Crash on open");

    // A refusal has no reason line.
    ASSERT_TRUE(session.waitUntil([&] { return session.shown("failurePanel"); })) << session.sandbox().logText();
    EXPECT_EQ(session.cell("startButtonLabel"), "Share logs");
    EXPECT_FALSE(session.shown("logsGeneratedPanel"));
    EXPECT_EQ(session.item("failureReason")->property("text").toString(), "");
    for (const char* line :
         {"ERROR: error code:1", "ERROR: error domain:com.tarvix.upload",
          "ERROR: Other network error: Internal Server Error.", "ERROR: userInfo: Internal Server Error."})
        EXPECT_TRUE(session.logged(line)) << line;
    ASSERT_TRUE(session.waitUntil([&] { return !session.view().primaryButtonDisabled(); }));
    session.screenshot("session-6-upload-failed");

    const fs::path archive = *UtilityFunctions::compressedLogURL.get();
    const auto builtAt = fs::last_write_time(archive);
    const std::string archiveBytes = tarvix::test::readFile(archive);

    // A stalling server: Stop upload gives "Share logs" back at once, then the cancelled reason.
    LogServer::Behaviour stall;
    stall.mode = LogServer::Mode::Stall;
    stall.afterBytes = 100;
    ASSERT_TRUE(server.restart(stall));
    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitForLabel("Stop upload"));
    EXPECT_TRUE(session.shown("logsGeneratedPanel"));
    EXPECT_FALSE(session.control("view logs")) << "the locked form hides view logs";
    session.waitIdle();
    session.clickControl("Stop upload");
    ASSERT_TRUE(session.waitIdle());
    ASSERT_TRUE(session.waitForLabel("Share logs"));
    ASSERT_TRUE(
        session.waitUntil([&] { return session.view().isSecondaryError() == tarvix::app::SecondaryError::canceled; }));
    EXPECT_EQ(session.item("failureReason")->property("text").toString(), "Upload cancelled.");
    EXPECT_TRUE(session.logged("ERROR: Upload task was canceled"));
    EXPECT_EQ(fs::last_write_time(archive), builtAt) << "retries reuse the archive";
    session.screenshot("session-7-upload-cancelled");

    // A working server receives the first archive.
    ASSERT_TRUE(server.restart(LogServer::Behaviour{}));
    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitForLabel("Close")) << session.sandbox().logText();
    const auto received = server.received();
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back().answer, "200");
    EXPECT_EQ(received.back().fileName, expectedArchiveName());
    EXPECT_TRUE(received.back().fileContent() == archiveBytes) << "the first archive is the one sent";
}

TEST(SessionFlow, FailedPackagingLocksTheFormAndTheNextShareReportsAFailure)
{
    GuiSession session;
    tarvix::sample::install(session.sandbox().root());
    session.open();
    reachLogsReady(session);
    // The scratch folder the archive is built in is a plain file: zip cannot write the archive.
    const fs::path scratch = *UtilityFunctions::temptempURL.get();
    fs::remove_all(scratch);
    tarvix::test::writeExecutable(scratch, "not a folder");
    typeDescriptionAndShare(session, "Slow start");

    ASSERT_TRUE(session.waitIdle());
    ASSERT_TRUE(session.waitUntil([&] { return !session.view().primaryButtonDisabled(); }));
    EXPECT_TRUE(session.logged("ERROR: unable to copy compressed file."));
    EXPECT_EQ(session.cell("startButtonLabel"), "Share logs");
    EXPECT_TRUE(session.view().formLocked());
    EXPECT_FALSE(session.shown("failurePanel"));
    EXPECT_FALSE(session.item("descriptionInput")->isEnabled());

    session.clickControl("Share logs");
    ASSERT_TRUE(session.waitUntil([&] { return session.shown("failurePanel"); }));
    EXPECT_TRUE(session.logged("ERROR: No compressed logs to upload."));
    EXPECT_EQ(session.cell("startButtonLabel"), "Share logs");
    EXPECT_FALSE(session.view().primaryButtonDisabled());
}

TEST(SessionFlow, AReopenedWindowStartsANewSessionAndPackagesItsOwnArchive)
{
    if (!LogServer::available()) GTEST_SKIP() << LogServer::skipReason();
    GuiSession session;
    tarvix::sample::install(session.sandbox().root());
    LogServer server;
    ASSERT_TRUE(server.running()) << server.output();
    session.open();
    reachLogsReady(session);
    typeDescriptionAndShare(session, "First window");
    ASSERT_TRUE(session.waitForLabel("Close"));
    const fs::path firstSession = *UtilityFunctions::tempTimeStampedURL.get();

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the session folder is named by the second
    session.reopen();
    EXPECT_EQ(session.cell("startButtonLabel"), "Start monitoring");
    EXPECT_EQ(session.cell("logLabel"), " ");
    reachLogsReady(session);
    EXPECT_TRUE(session.logged("--------------Application restarted without quitting--------------"));
    EXPECT_NE(*UtilityFunctions::tempTimeStampedURL.get(), firstSession);
    EXPECT_FALSE(session.view().formLocked());
    typeDescriptionAndShare(session, "Second window");
    ASSERT_TRUE(session.waitForLabel("Close")) << session.sandbox().logText();
    ASSERT_TRUE(server.waitForRequests(2));
    const std::string record = feedbackRecord(server.received().back().storedFile);
    EXPECT_NE(record.find("Second window"), std::string::npos) << record;
}
