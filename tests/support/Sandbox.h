#pragma once

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Guarded.h"
#include "base/TextBinding.h"
#include "core/workspace/Session.h"
#include "platform/HeadlessUserInterface.h"
#include "platform/Platform.h"
#include "sample_target/SampleInstall.h"

namespace tarvix::test {

/// A fresh temporary folder, removed with everything in it (read-only parts included).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// One test's world: a temp root with a sandbox platform over it (headless UI), no logging switch
/// on record, and the Logger writing to root/home/.cache/Logs.
class Sandbox {
public:
    explicit Sandbox(const std::filesystem::path& libexec = {});
    ~Sandbox();

    const std::filesystem::path& root() const { return m_dir.path(); }
    std::filesystem::path home() const { return root() / "home"; }
    std::filesystem::path library() const { return home() / "Library"; }
    tarvix::platform::HeadlessUserInterface& ui() const { return *m_ui; }
    /// A test may change its folders; the UI stays the headless one above.
    tarvix::platform::Platform& platform() { return m_platform; }
    const tarvix::platform::Folders& folders() const { return m_platform.folders; }

    /// The current log file's text ("" when there is none).
    std::string logText() const;
    /// The log's entries without their time: "INFO: Directory created: System".
    std::vector<std::string> logMessages() const;

private:
    TempDir m_dir;
    std::shared_ptr<tarvix::platform::HeadlessUserInterface> m_ui;
    tarvix::platform::Platform m_platform;
};

/// A collected session below `library`: Tarvix/Output/20261206093000/Scrivo, with the scratch and
/// System folders.
tarvix::Session collectedSession(const std::filesystem::path& library);

/// Runs a command line with /bin/sh and answers its standard output; exit status in `status`.
std::string runCommand(const std::string& command, int* status = nullptr);
/// `text` as one single-quoted shell word; the words as one command line.
std::string shellWord(const std::string& text);
std::string commandLine(const std::vector<std::string>& words);

/// Runs `python3 -c script arguments...` and answers its standard output.
std::string python(const std::string& script, std::vector<std::string> arguments = {});
/// repr() of a Python expression over `d`, the property list read by python3's plistlib.
std::string pythonPlist(const std::filesystem::path& file, const std::string& expression);

/// Every entry below `root`, relative and sorted: "folder/", "file", "link -> target".
std::vector<std::string> treeListing(const std::filesystem::path& root);

/// Writes `text` to `file`, creating its folder; an executable gets mode 0755.
void writeFile(const std::filesystem::path& file, const std::string& text = "x", bool executable = false);
std::string readFile(const std::filesystem::path& file);

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(60));

/// Names the one test a test program runs when started as a child (see TestMain.cpp).
inline constexpr const char* kChildTest = "TARVIX_TEST_CHILD";

/// The shell command that runs this test program again for `test` alone, a test of a suite named
/// "...Child", with `environment` ("NAME=value ...") added.
inline std::string childCommand(const std::string& test, const std::string& environment = {})
{
    return "env " + shellWord(std::string(kChildTest) + "=" + test) + " " + environment + " " +
           shellWord(std::filesystem::read_symlink("/proc/self/exe"));
}

/// A child test run inside private namespaces; `available`: `unshare` could make them at all.
struct NamespaceRun {
    bool available = false, passed = false;
    std::string output;
};

/// Runs the child test `test` under `unshare FLAGS` (e.g. {"-n"} for a network namespace whose
/// only interface is down, {"-m"} for private mounts), itself run by `runner` (e.g. "prlimit ...") when given.
inline NamespaceRun runSelfInNamespace(const std::vector<std::string>& unshareFlags, const std::string& test,
                                       const std::string& runner = {})
{
    const std::string unshare = "unshare " + commandLine(unshareFlags);
    int status = -1;
    runCommand(unshare + " true 2>/dev/null", &status);
    if (status != 0) return {};
    const std::string output = runCommand(runner + " " + unshare + " " + childCommand(test) + " 2>&1", &status);
    return {true, status == 0 && output.find("[  PASSED  ] 1 test.") != output.npos, output};
}

/// Makes a folder's entries impossible to remove for as long as it lives; ok() is false when the
/// file system cannot do it. Permissions do not stop root: for root the folder is made immutable.
class Undeletable {
public:
    explicit Undeletable(std::filesystem::path folder) : m_folder(std::move(folder)) { m_ok = set(true); }
    ~Undeletable()
    {
        if (m_ok) set(false);
    }
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;
    bool ok() const { return m_ok; }

private:
    bool set(bool locked)
    {
        const char* change =
            ::geteuid() == 0 ? (locked ? "chattr +i " : "chattr -i ") : (locked ? "chmod u-w " : "chmod u+w ");
        int status = -1;
        runCommand(change + shellWord(m_folder) + " 2>/dev/null", &status);
        return status == 0;
    }

    std::filesystem::path m_folder;
    bool m_ok = false;
};

/// A status text that remembers every text written to it, in order.
class RecordingTextCell final : public tarvix::TextCell {
public:
    std::string text() const override
    {
        return m_history.update([](auto& h) { return h.empty() ? "" : h.back(); });
    }
    void setText(std::string text) override
    {
        m_history.update([&](auto& h) { h.push_back(std::move(text)); });
    }
    std::vector<std::string> history() const { return m_history.get(); }

private:
    mutable tarvix::Guarded<std::vector<std::string>> m_history;
};

}  // namespace tarvix::test
