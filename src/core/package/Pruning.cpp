#include "core/package/Pruning.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

#include "base/Format.h"
#include "base/Status.h"
#include "core/log/Logger.h"

namespace fs = std::filesystem;

namespace tarvix::FilesPathDirectory {
namespace {

/// The entry names of a folder, hidden ones included, taken whole before anything is removed.
tarvix::Result<std::vector<std::string>> listNames(const fs::path& folder)
{
    std::error_code error;
    std::vector<std::string> names;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    if (error) return tarvix::Failure{tarvix::errorText(error), error.value()};
    return names;
}

/// The entries of a folder with their own type, taken whole: the directory's type where the file
/// system gives one (no lstat per entry), else lstat's.
tarvix::Result<std::vector<std::pair<std::string, fs::file_type>>> listEntries(const fs::path& folder)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return tarvix::systemFailure(errno);
    std::vector<std::pair<std::string, fs::file_type>> entries;
    for (;;) {
        errno = 0;  // readdir answers null both at the end and on failure
        const dirent* entry = ::readdir(dir.get());
        if (!entry) break;
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        fs::file_type type = entry->d_type == DT_DIR   ? fs::file_type::directory
                             : entry->d_type == DT_LNK ? fs::file_type::symlink
                             : entry->d_type == DT_REG ? fs::file_type::regular
                                                       : fs::file_type::unknown;
        if (entry->d_type == DT_UNKNOWN || type == fs::file_type::unknown) {
            std::error_code error;
            type = fs::symlink_status(folder / name, error).type();
            if (error) continue;
        }
        entries.emplace_back(name, type);
    }
    if (errno != 0) return tarvix::systemFailure(errno);
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
    return "“" + item.filename().string() + "” couldn’t be removed: " + tarvix::errorText(error) + ".";
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

tarvix::Status removeFilesFromDirectoryRecursively(const std::string& atPath,
                                                   std::span<const std::string> allowedExtensions)
{
    const auto verdicts = pruneVerdicts(atPath, allowedExtensions);
    if (!verdicts) {
        Logger::logError("Error accessing directory: " + atPath + " - " + verdicts.message());
        return verdicts.failure();
    }
    tarvix::Status pruned;
    for (const PruneVerdict& verdict : *verdicts) {
        const std::string fullPath = atPath + "/" + verdict.name;
        if (verdict.kind == PruneVerdict::Kind::folder) {
            // A folder that fails stops only itself: its siblings are pruned still.
            if (auto inner = removeFilesFromDirectoryRecursively(fullPath, allowedExtensions); pruned && !inner)
                pruned = std::move(inner);
        } else if (verdict.keep) {
            Logger::logInfo("whitelisted file: " + fullPath);
        } else {
            std::error_code removeError;
            if (fs::remove(fullPath, removeError)) {
                Logger::logInfo("Removed file: " + fullPath);
                continue;
            }
            const auto reason = removeError ? removeError : std::make_error_code(std::errc::no_such_file_or_directory);
            Logger::logError("Error accessing directory: " + atPath + " - " + tarvix::errorText(reason));
            return tarvix::Failure{tarvix::errorText(reason), reason.value()};
        }
    }
    return pruned;
}

tarvix::Status deleteContentsOfDirectory(const fs::path& at)
{
    const auto names = listNames(at);
    if (!names) {
        Logger::logError(
            tarvix::format("Error while deleting contents of directory: %@", {couldNotOpen(at, names.message())}));
        return names.failure();
    }
    std::error_code error;
    for (const std::string& name : *names) {
        // remove_all takes a link away as a link; it never descends through one.
        fs::remove_all(at / name, error);
        if (error) {
            Logger::logError(
                tarvix::format("Error while deleting contents of directory: %@", {couldNotRemove(at / name, error)}));
            return tarvix::Failure{tarvix::errorText(error), error.value()};
        }
        Logger::logInfo("Deleted: " + name);
    }
    return {};
}

tarvix::Status deleteDirectory(const fs::path& at)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(at, error)) && !error)
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    if (!error) fs::remove_all(at, error);
    if (error) {
        Logger::logInfo(tarvix::format("Error deleting directory: %@", {couldNotRemove(at, error)}));
        return tarvix::Failure{tarvix::errorText(error), error.value()};
    }
    Logger::logInfo(tarvix::format("Directory deleted successfully. Path: %@", {tarvix::pathText(at)}));
    return {};
}

}  // namespace tarvix::FilesPathDirectory
