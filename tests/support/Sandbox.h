#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/HeadlessUserInterface.h"
#include "platform/Platform.h"

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

/// One test's world: a temp root with a sandbox platform over it (headless UI), the shared
/// values back at their launch state, and the Logger writing to root/home/.cache/Logs.
class Sandbox {
public:
    explicit Sandbox(const std::filesystem::path& libexec = {});
    ~Sandbox();

    const std::filesystem::path& root() const { return m_dir.path(); }
    std::filesystem::path home() const { return root() / "home"; }
    std::filesystem::path library() const { return home() / "Library"; }
    platform::HeadlessUserInterface& ui() const { return *m_ui; }
    /// A test may change its folders; the UI stays the headless one above.
    platform::Platform& platform() { return m_platform; }
    const platform::Folders& folders() const { return m_platform.folders; }

    /// The current log file's text ("" when there is none).
    std::string logText() const;
    /// The log's entries without their time: "INFO: Directory created: System".
    std::vector<std::string> logMessages() const;

private:
    TempDir m_dir;
    std::shared_ptr<platform::HeadlessUserInterface> m_ui;
    platform::Platform m_platform;
};

/// Every shared value as a new process has it (UniqueId excepted: it is made once per process).
void resetSharedValues();

/// Runs a command line with /bin/sh and answers its standard output; exit status in `status`.
std::string runCommand(const std::string& command, int* status = nullptr);

}  // namespace tarvix::test
