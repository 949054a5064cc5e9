#include "support/SampleTargetSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/Sandbox.h"

namespace fs = std::filesystem;

namespace tarvix::test {

std::string shellWord(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string pythonPlist(const fs::path& file, const std::string& expression)
{
    static const std::string script = "import plistlib, sys\n"
                                      "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                      "print(repr(eval(sys.argv[2])))\n";
    int status = 0;
    std::string out = runCommand("python3 -c " + shellWord(script) + " " + shellWord(file.string()) + " " +
                                     shellWord(expression) + " 2>&1",
                                 &status);
    if (status != 0) throw std::runtime_error("plistlib failed on " + file.string() + ": " + out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool isBinaryPlist(const fs::path& file) { return readFile(file).rfind("bplist00", 0) == 0; }

std::vector<std::string> treeListing(const fs::path& root)
{
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        const std::string relative = it->path().lexically_relative(root).string();
        if (it->is_symlink())
            entries.push_back(relative + " -> " + fs::read_symlink(it->path()).string());
        else if (it->is_directory())
            entries.push_back(relative + "/");
        else
            entries.push_back(relative);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

void writeFile(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

void writeExecutable(const fs::path& file, const std::string& text)
{
    writeFile(file, text);
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string RecordingTextCell::text() const
{
    std::lock_guard lock(m_mutex);
    return m_history.empty() ? std::string() : m_history.back();
}

void RecordingTextCell::setText(std::string text)
{
    std::lock_guard lock(m_mutex);
    m_history.push_back(std::move(text));
}

std::vector<std::string> RecordingTextCell::history() const
{
    std::lock_guard lock(m_mutex);
    return m_history;
}

}  // namespace tarvix::test
