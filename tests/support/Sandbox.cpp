#include "support/Sandbox.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "core/collect/PListOperationsTesting.h"
#include "core/log/Logger.h"
#include "core/log/LoggerTesting.h"

namespace fs = std::filesystem;

namespace tarvix::test {

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
    : m_ui(std::make_shared<tarvix::platform::HeadlessUserInterface>()),
      m_platform(tarvix::platform::Platform::sandbox(m_dir.path(), libexec))
{
    m_platform.ui = m_ui;
    fs::create_directories(library() / "Preferences");
    fs::create_directories(root() / "var/log");
    tarvix::PListOperations::forgetStateForTesting();
    tarvix::Logger::forgetLogFileForTesting();
    tarvix::Logger::setupLogFile(m_platform.folders.caches);
}

Sandbox::~Sandbox()
{
    m_ui->drain();
    tarvix::Logger::forgetLogFileForTesting();
}

std::string Sandbox::logText() const { return readFile(tarvix::Logger::logFileURL().value_or(fs::path())); }

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

std::string shellWord(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string commandLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const auto& word : words) line += (line.empty() ? "" : " ") + shellWord(word);
    return line;
}

std::string python(const std::string& script, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), {"python3", "-c", script});
    return runCommand(commandLine(arguments));
}

tarvix::Session collectedSession(const fs::path& library)
{
    const fs::path root = library / "Tarvix", folder = root / "Output/20261206093000";
    for (const fs::path& f : {folder / "Scrivo", root / "temp", root / "System"}) fs::create_directories(f);
    return tarvix::Session{
        .system = root / "System", .folder = folder, .scratch = root / "temp", .output = folder / "Scrivo"};
}

std::string pythonPlist(const fs::path& file, const std::string& expression)
{
    static const std::string script =
        "import plistlib, sys\nd = plistlib.load(open(sys.argv[1], 'rb'))\nprint(repr(eval(sys.argv[2])))\n";
    int status = 0;
    std::string out = runCommand(commandLine({"/usr/bin/python3", "-c", script, file, expression}) + " 2>&1", &status);
    if (status != 0) throw std::runtime_error("plistlib failed on " + file.string() + ": " + out);
    while (out.ends_with('\n')) out.pop_back();
    return out;
}

std::vector<std::string> treeListing(const fs::path& root)
{
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        const std::string relative = it->path().lexically_relative(root).string();
        entries.push_back(relative + (it->is_symlink()     ? " -> " + fs::read_symlink(it->path()).string()
                                      : it->is_directory() ? "/"
                                                           : ""));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

void writeFile(const fs::path& file, const std::string& text, bool executable)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    if (executable) fs::permissions(file, fs::perms(0755));
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

}  // namespace tarvix::test
