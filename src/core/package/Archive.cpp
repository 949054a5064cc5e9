#include "core/package/Archive.h"

#include <cmath>
#include <string>
#include <system_error>
#include <vector>

#include "base/Format.h"
#include "core/log/Logger.h"
#include "core/package/Pruning.h"
#include "core/workspace/CopyPrimitives.h"
#include "core/workspace/SharedValues.h"
#include "platform/Process.h"

namespace fs = std::filesystem;

namespace tarvix::FilesPathDirectory {
namespace {

constexpr const char* kZipTool = "/usr/bin/zip";

/// The location without a trailing separator, so its last component is the folder's name.
fs::path withoutTrailingSeparator(const fs::path& location)
{
    return location.has_filename() || !location.has_parent_path() ? location : location.parent_path();
}

std::optional<std::uintmax_t> regularFileSize(const fs::path& file)
{
    std::error_code error;
    const auto size = fs::file_size(file, error);
    return error ? std::nullopt : std::optional(size);
}

/// The most zip may write for `items`: everything stored as it is (zip follows the links that
/// pruning kept), plus generous headers per entry.
std::uintmax_t worstCaseArchiveSize(const std::vector<fs::path>& items)
{
    constexpr std::uintmax_t kPerEntry = 512;
    std::uintmax_t total = 0;
    const auto add = [&total](const fs::directory_entry& entry) {
        std::error_code error;
        total += kPerEntry;
        if (entry.is_regular_file(error)) total += entry.file_size(error);
    };
    for (const fs::path& item : items) {
        std::error_code error;
        const fs::directory_entry top(item, error);
        if (error || !top.exists(error)) continue;
        add(top);
        if (!top.is_directory(error) || top.is_symlink(error)) continue;
        for (fs::recursive_directory_iterator it(item, error), end; !error && it != end; it.increment(error)) add(*it);
    }
    return total;
}

/// Whether the scratch folder has room for the worst-case archive; says so in the log when not.
bool roomToCompress(const fs::path& parent, const fs::path& name, const fs::path& zipFile)
{
    std::error_code error;
    const auto space = fs::space(zipFile.parent_path(), error);
    if (error) return true;  // unknown: zip tells when it runs out
    const auto needed = worstCaseArchiveSize({parent / name, parent / "UserEmailFeedback.json"});
    if (needed <= space.available) return true;
    Logger::logError(tarvix::format("Not enough free space to compress the directory: %@ bytes needed, %@ available.",
                                    {std::to_string(needed), std::to_string(space.available)}));
    return false;
}

}  // namespace

std::string archiveName() { return "scrivoMacLog_" + UtilityFunctions::UniqueId() + "_abc.zip"; }

tarvix::Status CommandLineCompression(const std::optional<fs::path>& directoryURL,
                                      const std::optional<fs::path>& zipFileURL)
{
    if (!directoryURL || !zipFileURL) return tarvix::Failure{"No folder to compress or no archive location."};
    const fs::path directory = withoutTrailingSeparator(*directoryURL);
    const fs::path parent = directory.parent_path();
    const std::vector<std::string> arguments = {
        "-r", "-q", zipFileURL->string(), directory.filename().string(), "UserEmailFeedback.json", "-x", ".DS_Store"};
    std::error_code error;
    if (!fs::exists(parent, error)) {
        Logger::logError("Output folder path doesn't exist: " + parent.string());
        return tarvix::Failure{"The output folder's parent does not exist."};
    }
    if (!roomToCompress(parent, directory.filename(), *zipFileURL))
        return tarvix::Failure{"Not enough free space to compress the directory."};
    // zip's own messages go where ours go, as they always have.
    platform::ProcessCommand zip;
    zip.program = kZipTool;
    zip.arguments = arguments;
    zip.workingFolder = parent;
    zip.captureStandardError = false;
    const auto run = platform::runProcess(zip);
    if (run && run->succeeded()) {
        Logger::logInfo("Directory compressed successfully.");
        return {};
    }
    Logger::logError("Failed to compress the directory.");
    return tarvix::Failure{"zip failed."};
}

tarvix::Result<fs::path> CompressOutputDirectory(const tarvix::Session& session, const ArchiveWriting& write)
{
    const std::string name = archiveName();
    const auto& scratchFolder = session.scratch;
    const auto& sessionFolder = session.folder;
    const auto& outputFolder = session.output;
    std::optional<fs::path> scratchArchive;
    if (scratchFolder) scratchArchive = *scratchFolder / name;

    Logger::logInfo(outputFolder ? tarvix::pathText(*outputFolder) : std::string());
    if (!write) {
        if (auto compressed = CommandLineCompression(outputFolder, scratchArchive); !compressed)
            return compressed.failure();
    } else if (!scratchArchive || !outputFolder) {
        return tarvix::Failure{"No folder to compress or no archive location."};
    } else {
        const fs::path output = withoutTrailingSeparator(*outputFolder);
        if (!roomToCompress(output.parent_path(), output.filename(), *scratchArchive))
            return tarvix::Failure{"Not enough free space to compress the directory."};
        std::error_code ignored;
        fs::remove(*scratchArchive, ignored);  // an earlier, failed attempt
        if (auto written = write(*scratchArchive); !written) {
            fs::remove(*scratchArchive, ignored);
            Logger::logError("Failed to compress the directory. " + written.message());
            return written.failure();
        }
        Logger::logInfo("Directory compressed successfully.");
    }
    // The archive stays in the scratch folder.
    if (!sessionFolder) return tarvix::Failure{"The session folder is not set."};

    // What stays beside the archive is removed with the session folder after the upload.
    deleteContentsOfDirectory(*sessionFolder).absorb();
    const auto copied = UtilityFunctions::CopyFiles(*scratchFolder, *sessionFolder, name);
    // Emptying the scratch folder after a failed copy would lose the only archive, so the copy is
    // checked first (a short copy included) and the scratch copy kept when it failed.
    const fs::path finalArchive = *sessionFolder / name;
    const auto expectedSize = regularFileSize(*scratchArchive);
    if (!copied || !expectedSize || regularFileSize(finalArchive) != expectedSize) {
        std::error_code ignored;
        if (expectedSize) fs::remove(finalArchive, ignored);  // a partial copy is no archive
        return tarvix::Failure{"The archive could not be moved into the session folder."};
    }

    // A scratch copy that stays is replaced by the next packaging.
    deleteContentsOfDirectory(*scratchFolder).absorb();
    return finalArchive;
}

bool isFileSizeValid(const fs::path& for_)
{
    std::error_code error;
    const fs::file_status status = fs::status(for_, error);
    if (error) {
        Logger::logError("Error fetching file attributes: " + tarvix::errorText(error));
        return false;
    }
    if (!fs::is_regular_file(status)) return false;  // a folder or device has no file size
    const auto size = fs::file_size(for_, error);
    if (error) {
        Logger::logError("Error fetching file attributes: " + tarvix::errorText(error));
        return false;
    }
    const double megabytes = std::ldexp(static_cast<double>(size), -20);
    Logger::logInfo(tarvix::format("Compressed file size: %@ mb", {tarvix::decimalText(megabytes, 3)}));
    return size < kArchiveSizeLimit;
}

}  // namespace tarvix::FilesPathDirectory
