#include "support/SampleTargetSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
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

std::string commandLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const auto& word : words) line += (line.empty() ? "" : " ") + shellWord(word);
    return line;
}

std::string pythonPlist(const fs::path& file, const std::string& expression)
{
    static const std::string script = "import plistlib, sys\n"
                                      "d = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                      "print(repr(eval(sys.argv[2])))\n";
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
        if (it->is_symlink())
            entries.push_back(relative + " -> " + fs::read_symlink(it->path()).string());
        else
            entries.push_back(relative + (it->is_directory() ? "/" : ""));
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
    fs::permissions(file, fs::perms(0755));
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
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

}  // namespace tarvix::test
