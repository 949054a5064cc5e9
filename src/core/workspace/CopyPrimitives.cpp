#include "core/workspace/CopyPrimitives.h"

#include <algorithm>
#include <system_error>

#include "core/base/Status.h"
#include "core/log/Logger.h"

namespace fs = std::filesystem;

namespace UtilityFunctions {
namespace {

/// A copy's failure as the log tells it: which item, why, and where.
tarvix::Failure copyFailure(const std::error_code& error, const fs::path& path)
{
    return tarvix::Failure{"The item “" + path.filename().string() + "” couldn’t be copied: " + error.message() + " (" +
                               path.string() + ")",
                           error.value()};
}

/// Copies one entry without following links: a link becomes the same link, a folder is copied
/// entry by entry, a regular file with its mode and modification time. Sockets, pipes and
/// devices are left out: reading a named pipe would block the capture for ever. A failure deep
/// in a tree does not stop the other entries; the first one is answered.
tarvix::Status copyEntry(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(from, error);
    if (error) return copyFailure(error, from);

    switch (status.type()) {
    case fs::file_type::symlink:
        fs::copy_symlink(from, to, error);
        if (error) return copyFailure(error, from);
        return {};
    case fs::file_type::regular: {
        fs::copy_file(from, to, fs::copy_options::none, error);
        if (error) return copyFailure(error, from);
        const auto modified = fs::last_write_time(from, error);
        if (!error) fs::last_write_time(to, modified, error);
        return {};
    }
    case fs::file_type::directory: {
        if (!fs::create_directory(to, error))
            return copyFailure(error ? error : std::make_error_code(std::errc::file_exists), to);
        tarvix::Status first;
        for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error))
            if (auto copied = copyEntry(it->path(), to / it->path().filename()); !copied && first) first = copied;
        if (error && first) first = copyFailure(error, from);
        // The owner keeps full access, so the session folder can still be pruned and removed.
        fs::permissions(to, status.permissions() | fs::perms::owner_all, error);
        return first;
    }
    default: return {};
    }
}

/// Copies `from` to exactly `to`: the destination must not exist yet, nothing is overwritten.
tarvix::Status copyTree(const fs::path& from, const fs::path& to)
{
    std::error_code error;
    if (fs::exists(fs::symlink_status(to, error))) return copyFailure(std::make_error_code(std::errc::file_exists), to);
    const fs::file_status source = fs::symlink_status(from, error);
    if (error || !fs::exists(source))
        return copyFailure(error ? error : std::make_error_code(std::errc::no_such_file_or_directory), from);
    // A copy into its own source would never end.
    if (fs::is_directory(source)) {
        std::error_code baseError, targetError;
        const fs::path base = fs::weakly_canonical(from, baseError);
        const fs::path target = fs::weakly_canonical(to, targetError);
        const auto [mismatch, ignored] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
        if (!baseError && !targetError && mismatch == base.end())
            return copyFailure(std::make_error_code(std::errc::invalid_argument), to);
    }
    return copyEntry(from, to);
}

}  // namespace

void CopyFiles(const fs::path& sourceDirectory, const fs::path& destinationDirectory, const std::string& fileName)
{
    std::error_code error;
    fs::create_directories(destinationDirectory, error);
    if (error) return;
    if (const auto copied = copyTree(sourceDirectory / fileName, destinationDirectory / fileName); !copied)
        Logger::logError("Error while copying file: " + copied.message());
    else
        Logger::logInfo("File copied successfully.");
}

bool copyItem(const std::optional<fs::path>& at, const std::optional<fs::path>& to)
{
    if (!at || !to) {
        Logger::logWarning("Invalid source or destination URL");
        return false;
    }
    std::error_code error;
    // A missing source leaves no empty folder behind for it.
    if (!fs::exists(fs::symlink_status(*at, error))) {
        Logger::logError(
            "Error copying item: " +
            copyFailure(error ? error : std::make_error_code(std::errc::no_such_file_or_directory), *at).message);
        return false;
    }
    fs::create_directories(to->parent_path(), error);
    if (error) {
        Logger::logError("Error copying item: " + copyFailure(error, to->parent_path()).message);
        return false;
    }
    if (const auto copied = copyTree(*at, *to); !copied) {
        Logger::logError("Error copying item: " + copied.message());
        return false;
    }
    Logger::logInfo("Item copied successfully!");
    return true;
}

}  // namespace UtilityFunctions
