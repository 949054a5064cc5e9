#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/base/Guarded.h"
#include "core/base/TextBinding.h"
#include "sample_target/SampleInstall.h"

namespace tarvix::test {

/// `text` as one single-quoted shell word.
std::string shellWord(const std::string& text);
/// The words as one shell command line.
std::string commandLine(const std::vector<std::string>& words);

/// repr() of a Python expression over `d`, the property list read by python3's plistlib.
std::string pythonPlist(const std::filesystem::path& file, const std::string& expression);

/// Every entry below `root`, relative and sorted: "folder/", "file", "link -> target".
std::vector<std::string> treeListing(const std::filesystem::path& root);

/// Writes `text` to `file`, creating its folder; writeExecutable gives it mode 0755.
void writeFile(const std::filesystem::path& file, const std::string& text = "x");
void writeExecutable(const std::filesystem::path& file, const std::string& text);
std::string readFile(const std::filesystem::path& file);

inline bool isBinaryPlist(const std::filesystem::path& file) { return readFile(file).starts_with("bplist00"); }

/// Polls `condition` until it holds or `limit` has passed.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

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
