// The single-instance socket as an attacker (another account) would meet it: folders and sockets
// planted or shared are never used or trusted, and a start then runs on its own.
#include "SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::app::SingleInstance;

TEST(SingleInstance, OnlyAPrivateFolderOfThisUserHoldsTheSocket)
{
    tarvix::test::TempDir dir;
    const fs::path runtime = dir.path() / "runtime", tmp = dir.path() / "tmp", ours = dir.path() / "ours";
    const fs::path fallback = tmp / ("tarvix-runtime-" + std::to_string(::geteuid()));
    const auto folder = [](const fs::path& path, mode_t mode, uid_t owner) {
        fs::create_directories(path);
        ::chmod(path.c_str(), mode);
        ::chown(path.c_str(), owner, owner);
    };
    folder(tmp, 01777, 0);
    folder(ours, 0700, ::geteuid());
    const QByteArray savedTmp = qgetenv("TMPDIR"), savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QByteArray::fromStdString(tmp.string()));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    const std::pair<std::function<void()>, fs::path> cases[] = {
        {[&] { folder(runtime, 0700, ::geteuid()); }, runtime / "tarvix.socket"},
        {[&] { folder(runtime, 0755, ::geteuid()); }, fallback / "tarvix.socket"},  // others can enter
        {[&] { folder(fallback, 0700, 65534); }, {}},                               // made by another account
        {[&] { fs::create_directory_symlink(ours, fallback); }, {}},                // a link to a folder of ours
    };
    for (const auto& [plant, expected] : cases) {
        fs::remove_all(runtime);
        fs::remove_all(fallback);
        plant();
        EXPECT_EQ(SingleInstance::defaultSocketPath().toStdString(), expected.string());
    }
    for (const auto& [name, value] : {std::pair{"TMPDIR", savedTmp}, std::pair{"XDG_RUNTIME_DIR", savedRuntime}})
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

TEST(SingleInstance, ASocketAnsweredByAnotherAccountIsNotTrusted)
{
    tarvix::test::TempDir dir;
    const fs::path socket = dir.path() / "tarvix.socket";
    // Bound as this user (the file is ours), then answered by nobody.
    QProcess attacker;
    attacker.start("/usr/bin/python3", {"-c",
                                        "import os, socket, sys\n"
                                        "s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1])\n"
                                        "os.setresgid(65534, 65534, 65534); os.setresuid(65534, 65534, 65534)\n"
                                        "s.listen(4); print('listening', flush=True)\n"
                                        "while True:\n"
                                        "    c, _ = s.accept(); c.recv(64); c.sendall(b'ok\\n'); c.close()\n",
                                        QString::fromStdString(socket.string())});
    ASSERT_TRUE(attacker.waitForReadyRead(60000)) << attacker.readAllStandardError().toStdString();
    EXPECT_FALSE(SingleInstance(QString::fromStdString(socket.string())).forwardToRunningInstance());
    attacker.kill();
    attacker.waitForFinished();
}

TEST(SingleInstance, ALaterStartHandsOverOnlyAPlainActivationToken)
{
    tarvix::test::TempDir dir;
    const QString socket = QString::fromStdString((dir.path() / "tarvix.socket").string());
    SingleInstance running(socket);
    ASSERT_TRUE(running.listen().ok());
    std::vector<QByteArray> tokens;
    QObject::connect(&running, &SingleInstance::windowRequested,
                     [&](const QByteArray& token) { tokens.push_back(token); });
    for (const QByteArray token : {"gnome-shell/Tarvix/1234_TIME5", "", "a\tb"}) {
        std::atomic<int> forwarded{-1};
        std::thread later([&] { forwarded = SingleInstance(socket).forwardToRunningInstance(token); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return forwarded != -1; }));
        later.join();
        EXPECT_EQ(forwarded, 1) << token.data();
    }
    EXPECT_EQ(tokens, (std::vector<QByteArray>{"gnome-shell/Tarvix/1234_TIME5", "", ""}));
}
