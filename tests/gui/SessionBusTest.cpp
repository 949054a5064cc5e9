// What the window asks of the session bus (the notice as it closes, the notice of a report sent
// later, the folder shown), asked while the bus does not answer: nothing waits for it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <QUrl>
#include <functional>
#include <map>

#include "DesktopActions.h"
#include "ReportSentNotice.h"
#include "StillRunningNotice.h"
#include "support/Sandbox.h"

using testing::HasSubstr;

TEST(SessionBus, NothingTheWindowAsksWaitsForTheBus)
{
    for (const std::string use : {"notice", "sent", "folder"}) {
        // Bounded: a use that waits for this bus waits for ever.
        const std::string output =
            tarvix::test::runCommand("timeout 120 " +
                                     tarvix::test::childCommand("SessionBusChild.NothingTheWindowAsksWaitsForTheBus",
                                                                "TARVIX_TEST_BUS_USE=" + use) +
                                     " 2>&1");
        EXPECT_THAT(output, HasSubstr("[  PASSED  ] 1 test.")) << use << ": " << output;
    }
}

namespace {
QStringList warnings;
}

// In a process of its own: its session bus is the first it connects to. The bus is behind a door
// opened only once the use has returned; what the use did is then seen in the warnings.
TEST(SessionBusChild, NothingTheWindowAsksWaitsForTheBus)
{
    tarvix::test::TempDir folder;
    const QString bus = QString::fromStdString((folder.path() / "bus").string());
    const QString door = QString::fromStdString((folder.path() / "door").string());
    QProcess daemon, gate;  // stopped in reverse order
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1", "--address=unix:path=" + bus});
    ASSERT_TRUE(daemon.waitForReadyRead(60000));
    gate.start("/usr/bin/python3", {"-c",
                                    "import socket, sys, threading\n"
                                    "door = socket.socket(socket.AF_UNIX); door.bind(sys.argv[1]); door.listen(4)\n"
                                    "print('listening', flush=True)\n"
                                    "client, _ = door.accept(); sys.stdin.readline()\n"
                                    "bus = socket.socket(socket.AF_UNIX); bus.connect(sys.argv[2])\n"
                                    "def relay(a, b):\n"
                                    "    while data := a.recv(65536): b.sendall(data)\n"
                                    "    b.shutdown(socket.SHUT_WR)\n"
                                    "threading.Thread(target=relay, args=(client, bus), daemon=True).start()\n"
                                    "relay(bus, client)\n",
                                    door, bus});
    ASSERT_TRUE(gate.waitForReadyRead(60000));
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + door).toUtf8());
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) { warnings << message; });

    tarvix::app::StillRunningNotice notice;
    // The use, and the warning it ends in on this bus, which has no notification service and no file manager.
    const std::map<std::string, std::pair<std::function<void()>, QString>> uses{
        {"notice",
         {[&] { notice.post(QStringLiteral("Tarvix is sending the logs to the support team.")); },
          "No notification that Tarvix is still running: The name org.freedesktop.Notifications"}},
        {"sent", {[] { tarvix::app::postReportSent(QStringLiteral("1234")); }, {}}},
        {"folder",
         {[&] { tarvix::app::showFolderInFileManager(folder.path()); },  // then handed to the platform, offscreen
          QUrl::fromLocalFile(QString::fromStdString(folder.path().string())).toString()}},
    };
    const auto& [use, warning] = uses.at(std::getenv("TARVIX_TEST_BUS_USE"));
    use();
    gate.write("open\n");
    if (warning.isEmpty()) return;
    ASSERT_TRUE(QTest::qWaitFor([] { return !warnings.isEmpty(); }, 120000));
    qInstallMessageHandler(nullptr);
    EXPECT_THAT(warnings.front().toStdString(), HasSubstr(warning.toStdString()));
}
