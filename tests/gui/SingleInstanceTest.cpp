// The single-instance socket as an attacker (another account) would meet it: folders and sockets
// planted or shared are never used or trusted, and a start then runs on its own.
#include "SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <atomic>
#include <filesystem>
#include <thread>

#include "support/SampleTargetSupport.h"
#include "support/Sandbox.h"

namespace fs = std::filesystem;
using tarvix::app::SingleInstance;

namespace {

constexpr uid_t kNobody = 65534;

void makeFolder(const fs::path& path, mode_t mode, uid_t owner)
{
    fs::create_directories(path);
    ::chmod(path.c_str(), mode);
    ::chown(path.c_str(), owner, owner);
}

}  // namespace

TEST(SingleInstance, OnlyAPrivateFolderOfThisUserHoldsTheSocket)
{
    tarvix::test::TempDir dir;
    const fs::path runtime = dir.path() / "runtime", tmp = dir.path() / "tmp";
    const fs::path fallback = tmp / ("tarvix-runtime-" + std::to_string(::geteuid()));
    makeFolder(tmp, 01777, 0);
    const QByteArray savedTmp = qgetenv("TMPDIR"), savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QByteArray::fromStdString(tmp.string()));
    struct Case {
        const char* what;
        std::function<void()> plant;
        bool runtimeSet;
        fs::path expected;
    };
    const Case cases[] = {
        {"private runtime folder", [&] { makeFolder(runtime, 0700, ::geteuid()); }, true, runtime / "tarvix.socket"},
        {"runtime folder others can enter", [&] { makeFolder(runtime, 0755, ::geteuid()); }, true,
         fallback / "tarvix.socket"},
        {"fallback made by another account", [&] { makeFolder(fallback, 0700, kNobody); }, false, {}},
        {"fallback a link to a folder of ours",
         [&] {
             makeFolder(dir.path() / "ours", 0700, ::geteuid());
             fs::create_directory_symlink(dir.path() / "ours", fallback);
         },
         false,
         {}},
    };
    for (const Case& c : cases) {
        fs::remove_all(runtime);
        fs::remove_all(fallback);
        c.plant();
        if (c.runtimeSet)
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
        else
            qunsetenv("XDG_RUNTIME_DIR");
        EXPECT_EQ(SingleInstance::defaultSocketPath().toStdString(), c.expected.string()) << c.what;
    }
    const auto restore = [](const char* name, const QByteArray& value) {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    };
    restore("TMPDIR", savedTmp);
    restore("XDG_RUNTIME_DIR", savedRuntime);
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
    ASSERT_TRUE(attacker.waitForReadyRead(10000)) << attacker.readAllStandardError().toStdString();
    SingleInstance instance(QString::fromStdString(socket.string()));
    EXPECT_FALSE(instance.forwardToRunningInstance());
    attacker.kill();
    attacker.waitForFinished();
}

TEST(SingleInstance, ALaterStartHandsOverOnlyAPlainActivationToken)
{
    tarvix::test::TempDir dir;
    const QString socket = QString::fromStdString((dir.path() / "tarvix.socket").string());
    SingleInstance running(socket);
    ASSERT_TRUE(running.listen());
    std::vector<QByteArray> tokens;
    QObject::connect(&running, &SingleInstance::windowRequested,
                     [&](const QByteArray& token) { tokens.push_back(token); });
    for (const QByteArray& token : {QByteArray("gnome-shell/Tarvix/1234_TIME5"), QByteArray(), QByteArray("a\tb")}) {
        std::atomic<int> forwarded{-1};
        std::thread later([&] { forwarded = SingleInstance(socket).forwardToRunningInstance(token); });
        EXPECT_TRUE(tarvix::test::waitFor([&] {
            QCoreApplication::processEvents();
            return forwarded != -1;
        }));
        later.join();
        EXPECT_EQ(forwarded, 1) << token.data();
    }
    EXPECT_EQ(tokens, (std::vector<QByteArray>{"gnome-shell/Tarvix/1234_TIME5", "", ""}));
}
