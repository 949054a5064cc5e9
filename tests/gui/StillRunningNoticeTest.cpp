// The notice is posted as the window closes: whatever the session bus does, the close goes on.
#include "StillRunningNotice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "support/Sandbox.h"

using testing::HasSubstr;

TEST(StillRunningNotice, APostWaitsForNoBus)
{
    // Bounded: a post that waits for this bus waits for ever.
    const std::string output = tarvix::test::runCommand(
        "timeout 120 " + tarvix::test::childCommand("StillRunningNoticeChild.APostWaitsForNoBus") + " 2>&1");
    EXPECT_THAT(output, HasSubstr("[  PASSED  ] 1 test.")) << output;
}

namespace {
QStringList warnings;
}

// In a process of its own: its session bus is the first it connects to. The bus is behind a door
// opened only once the post has returned.
TEST(StillRunningNoticeChild, APostWaitsForNoBus)
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
    notice.post(QStringLiteral("Tarvix is sending the logs to the support team."));
    gate.write("open\n");
    ASSERT_TRUE(QTest::qWaitFor([] { return !warnings.isEmpty(); }, 120000));
    qInstallMessageHandler(nullptr);
    // This bus has no notification service: the answer says so, which it can only once connected.
    EXPECT_THAT(warnings.front().toStdString(),
                HasSubstr("No notification that Tarvix is still running: The name org.freedesktop.Notifications"));
}
