#include "core/workspace/CopyPrimitives.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/Format.h"
#include "base/Status.h"
#include "core/log/Logger.h"
#include "platform/Files.h"

namespace fs = std::filesystem;

namespace tarvix::UtilityFunctions {
namespace {

/// A copy's failure as the log tells it: which item, why, and where.
tarvix::Failure copyFailure(const std::error_code& error, const fs::path& path)
{
    return tarvix::Failure{"The item “" + path.filename().string() +
                               "” couldn’t be copied: " + tarvix::errorText(error) + " (" + path.string() + ")",
                           error.value()};
}

/// The one log line for each item a copy leaves out; within one run only the first
/// kNamedLeftOut of each kind, the run's summary counts the rest.
platform::LeftOutHandler loggingLeftOut(platform::CopyBudget* budget)
{
    return [budget](const fs::path& item, platform::LeftOut why) {
        if (budget && budget->countLeftOut(why) > kNamedLeftOut) return;
        if (why == platform::LeftOut::link)
            Logger::logWarning(tarvix::format("Symbolic link not copied: %@", {tarvix::pathText(item)}));
        else
            Logger::logWarning(tarvix::format("Not copied, over the collection budget of %@ bytes: %@",
                                              {std::to_string(budget ? budget->total() : 0), tarvix::pathText(item)}));
    };
}

/// Copies `from` to exactly `to`: the destination must not exist yet, nothing is overwritten.
tarvix::Status copyChecked(const fs::path& from, const fs::path& to, platform::CopyBudget* budget)
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
    return platform::copyTree(from, to, budget, loggingLeftOut(budget));
}

bool present(const fs::path& item)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(item, error));
}

}  // namespace

void logLeftOutSummary(const platform::CopyBudget& budget)
{
    if (const auto links = budget.leftOut(platform::LeftOut::link); links > kNamedLeftOut)
        Logger::logWarning(
            tarvix::format("… and %@ more symbolic links not copied", {std::to_string(links - kNamedLeftOut)}));
    if (const auto over = budget.leftOut(platform::LeftOut::overBudget); over > kNamedLeftOut)
        Logger::logWarning(tarvix::format("… and %@ more items not copied, over the collection budget of %@ bytes",
                                          {std::to_string(over - kNamedLeftOut), std::to_string(budget.total())}));
}

tarvix::Status CopyFiles(const fs::path& sourceDirectory, const fs::path& destinationDirectory,
                         const std::string& fileName, platform::CopyBudget* budget)
{
    if (auto created = platform::createPrivateFolders(destinationDirectory); !created) return created;
    const fs::path destination = destinationDirectory / fileName;
    auto copied = copyChecked(sourceDirectory / fileName, destination, budget);
    if (!copied)
        Logger::logError("Error while copying file: " + copied.message());
    else if (present(destination))  // else it was left out, and said so
        Logger::logInfo("File copied successfully.");
    return copied;
}

tarvix::Status copyItem(const std::optional<fs::path>& at, const std::optional<fs::path>& to,
                        platform::CopyBudget* budget)
{
    if (!at || !to) {
        Logger::logWarning("Invalid source or destination URL");
        return tarvix::Failure{"Invalid source or destination URL", ENOENT};  // nothing there to copy
    }
    const auto failed = [](tarvix::Failure failure) -> tarvix::Status {
        Logger::logError("Error copying item: " + failure.message);
        return failure;
    };
    std::error_code error;
    // A missing source leaves no empty folder behind for it.
    if (!fs::exists(fs::symlink_status(*at, error)))
        return failed(copyFailure(error ? error : std::make_error_code(std::errc::no_such_file_or_directory), *at));
    if (auto created = platform::createPrivateFolders(to->parent_path()); !created) {
        const std::error_code reason(created.failure().errorNumber, std::generic_category());
        return failed(copyFailure(reason, to->parent_path()));
    }
    if (auto copied = copyChecked(*at, *to, budget); !copied) return failed(copied.failure());
    if (present(*to)) Logger::logInfo("Item copied successfully!");  // else left out, and said so
    return {};
}

bool isMissingSource(const tarvix::Status& copied) { return !copied && copied.failure().errorNumber == ENOENT; }

}  // namespace tarvix::UtilityFunctions
