#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/base/TextBinding.h"
#include "sample_target/SampleInstall.h"

namespace tarvix::test {

/// `text` as one single-quoted shell word.
std::string shellWord(const std::string& text);

/// repr() of a Python expression over `d`, the property list read by python3's plistlib.
std::string pythonPlist(const std::filesystem::path& file, const std::string& expression);

/// Whether the file starts with the binary property-list magic.
bool isBinaryPlist(const std::filesystem::path& file);

/// Every entry below `root`, relative and sorted: "folder/", "file", "link -> target".
std::vector<std::string> treeListing(const std::filesystem::path& root);

/// Writes `text` to `file`, creating its folder.
void writeFile(const std::filesystem::path& file, const std::string& text = "x");

/// Writes an executable script (mode 0755), creating its folder.
void writeExecutable(const std::filesystem::path& file, const std::string& text);

std::string readFile(const std::filesystem::path& file);

/// Polls `condition` until it holds or `limit` has passed.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(20));

/// A status text that remembers every text written to it, in order.
class RecordingTextCell final : public tarvix::TextCell {
public:
    std::string text() const override;
    void setText(std::string text) override;
    std::vector<std::string> history() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_history;
};

}  // namespace tarvix::test
