#include "support/Sandbox.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "core/collect/PListOperationsTesting.h"
#include "core/log/Logger.h"
#include "core/log/LoggerTesting.h"
#include "core/workspace/SharedValues.h"
#include "support/SampleTargetSupport.h"

namespace fs = std::filesystem;

namespace tarvix::test {

void resetSharedValues()
{
    using namespace UtilityFunctions;
    for (auto* location : {&userLibraryURL, &userLibraryPrefURL, &tempDirURL, &tempSystemURL, &tempTimeStampedURL,
                           &tempOutputURL, &temptempURL, &compressedLogURL})
        location->set(std::nullopt);
    ProcessId.set("");
    flavour.set("Trunk");
    scrivoOrGlance.set(std::nullopt);
    ScrivoRunningInstance.set({});
    scrivoInstalledUrls.set({});
    glanceInstalledUrls.set({});
    ShareButtonPressed = false;
    isOutputDirectoryCreated = false;
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "tarvix-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    // Tests make folders read-only on purpose; give write access back before removing.
    runCommand("chmod -R u+rwx " + shellWord(m_path) + " 2>/dev/null; rm -rf " + shellWord(m_path));
}

Sandbox::Sandbox(const fs::path& libexec)
    : m_ui(std::make_shared<platform::HeadlessUserInterface>()),
      m_platform(platform::Platform::sandbox(m_dir.path(), libexec))
{
    m_platform.ui = m_ui;
    fs::create_directories(library() / "Preferences");
    fs::create_directories(root() / "var/log");
    resetSharedValues();
    PListOperations::forgetStateForTesting();
    Logger::forgetLogFileForTesting();
    Logger::setupLogFile(m_platform.folders.caches);
}

Sandbox::~Sandbox()
{
    m_ui->drain();
    Logger::forgetLogFileForTesting();
}

std::string Sandbox::logText() const
{
    const auto file = Logger::logFileURL();
    return file ? readFile(*file) : std::string();
}

std::vector<std::string> Sandbox::logMessages() const
{
    static const std::regex time(R"(^(INFO: |ERROR: |WARNING: |)\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \+0000: )");
    std::vector<std::string> messages;
    std::istringstream in(logText());
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) messages.push_back(std::regex_replace(line, time, "$1"));
    return messages;
}

std::string runCommand(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("popen failed: " + command);
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
    const int rc = ::pclose(pipe);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return output;
}

}  // namespace tarvix::test
