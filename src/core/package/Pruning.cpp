#include "core/package/Pruning.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "core/base/Format.h"
#include "core/base/Status.h"
#include "core/log/Logger.h"

namespace fs = std::filesystem;

namespace FilesPathDirectory {
namespace {

/// The entry names of a folder, hidden ones included, taken whole before anything is removed.
tarvix::Result<std::vector<std::string>> listNames(const fs::path& folder)
{
    std::error_code error;
    std::vector<std::string> names;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    if (error) return tarvix::Failure{error.message(), error.value()};
    return names;
}

/// The entries of a folder with their own type (the directory's, else lstat's), taken whole.
tarvix::Result<std::vector<std::pair<std::string, fs::file_type>>> listEntries(const fs::path& folder)
{
    std::error_code error;
    std::vector<std::pair<std::string, fs::file_type>> entries;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code statusError;
        const fs::file_type type = it->symlink_status(statusError).type();
        if (!statusError) entries.emplace_back(it->path().filename().string(), type);
    }
    if (error) return tarvix::Failure{error.message(), error.value()};
    return entries;
}

/// "." + the lower-cased extension; "." for a name without one (".hidden" included). ASCII
/// lower-casing is exact here: no upper-case letter outside ASCII lower-cases to a letter of
/// an allowed extension.
std::string comparisonKey(const std::string& name)
{
    std::string extension = fs::path(name).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return "." + extension;
}

std::string couldNotOpen(const fs::path& folder, const std::string& reason)
{
    return "The folder “" + folder.filename().string() + "” couldn’t be opened: " + reason + ".";
}

std::string couldNotRemove(const fs::path& item, const std::error_code& error)
{
    return "“" + item.filename().string() + "” couldn’t be removed: " + error.message() + ".";
}

bool allowed(const std::string& name, std::span<const std::string> allowedExtensions)
{
    const std::string key = comparisonKey(name);
    return std::find(allowedExtensions.begin(), allowedExtensions.end(), key) != allowedExtensions.end();
}

/// Whether the link at `link` names, by a bare name, a regular file beside it that pruning keeps:
/// zip follows links, so only one whose target is in the archive anyway may stay.
bool namesKeptFileBeside(const fs::path& link, std::span<const std::string> allowedExtensions)
{
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    if (error || target.empty() || target.has_parent_path() || target == "." || target == "..") return false;
    return allowed(target.string(), allowedExtensions) &&
           fs::is_regular_file(fs::symlink_status(link.parent_path() / target, error));
}

}  // namespace

// Links are judged by their own status, never their target's, and after every other entry of
// their folder, so a link stays only beside the file it names once that file is known to stay.
tarvix::Result<std::vector<PruneVerdict>> pruneVerdicts(const fs::path& folder,
                                                        std::span<const std::string> allowedExtensions)
{
    const auto entries = listEntries(folder);
    if (!entries) return entries.failure();
    std::vector<PruneVerdict> verdicts, links;
    for (const auto& [name, type] : *entries) {
        const fs::file_status status(type);
        if (!fs::exists(status)) continue;
        if (fs::is_directory(status))
            verdicts.push_back({name, PruneVerdict::Kind::folder, true});
        else if (fs::is_symlink(status))
            links.push_back(
                {name, PruneVerdict::Kind::link,
                 allowed(name, allowedExtensions) && namesKeptFileBeside(folder / name, allowedExtensions)});
        else
            verdicts.push_back({name, PruneVerdict::Kind::file, allowed(name, allowedExtensions)});
    }
    verdicts.insert(verdicts.end(), links.begin(), links.end());
    return verdicts;
}

void removeFilesFromDirectoryRecursively(const std::string& atPath, std::span<const std::string> allowedExtensions)
{
    const auto verdicts = pruneVerdicts(atPath, allowedExtensions);
    if (!verdicts) {
        Logger::logError("Error accessing directory: " + atPath + " - " + verdicts.message());
        return;
    }
    for (const PruneVerdict& verdict : *verdicts) {
        const std::string fullPath = atPath + "/" + verdict.name;
        if (verdict.kind == PruneVerdict::Kind::folder) {
            removeFilesFromDirectoryRecursively(fullPath, allowedExtensions);
        } else if (verdict.keep) {
            Logger::logInfo("whitelisted file: " + fullPath);
        } else {
            std::error_code removeError;
            if (fs::remove(fullPath, removeError)) {
                Logger::logInfo("Removed file: " + fullPath);
                continue;
            }
            Logger::logError("Error accessing directory: " + atPath + " - " +
                             (removeError ? removeError.message() : std::string("No such file or directory")));
            return;
        }
    }
}

void deleteContentsOfDirectory(const fs::path& at)
{
    const auto names = listNames(at);
    if (!names) {
        Logger::logError(
            tarvix::format("Error while deleting contents of directory: %@", {couldNotOpen(at, names.message())}));
        return;
    }
    std::error_code error;
    for (const std::string& name : *names) {
        // remove_all takes a link away as a link; it never descends through one.
        fs::remove_all(at / name, error);
        if (error) {
            Logger::logError(
                tarvix::format("Error while deleting contents of directory: %@", {couldNotRemove(at / name, error)}));
            return;
        }
        Logger::logInfo("Deleted: " + name);
    }
}

void deleteDirectory(const fs::path& at)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(at, error)) && !error)
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    if (!error) fs::remove_all(at, error);
    if (error)
        Logger::logInfo(tarvix::format("Error deleting directory: %@", {couldNotRemove(at, error)}));
    else
        Logger::logInfo(tarvix::format("Directory deleted successfully. Path: %@", {tarvix::pathText(at)}));
}

}  // namespace FilesPathDirectory
