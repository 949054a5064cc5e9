// Generates a large session and packs it the way the share flow does: pruning, then the archive
// step. Used by run_package_bench, which times the same work done by find -delete and zip -r.
//
//   tarvix-bench-package generate DIR FILES MIB   a session DIR/session/{Scrivo/..., UserEmailFeedback.json}
//   tarvix-bench-package run DIR [hide]           prune + CompressOutputDirectory on it; with "hide",
//                                                 the identity hidden on the way into the archive
//   tarvix-bench-package list DIR                 listShareable on the session
#include <fstream>
#include <iostream>
#include <random>

#include "BenchSupport.h"
#include "base/Format.h"
#include "core/package/Archive.h"
#include "core/package/ArchiveProof.h"
#include "core/package/FeedbackRecord.h"
#include "core/package/Pruning.h"
#include "core/package/ShareArchive.h"
#include "core/package/ShareList.h"
#include "core/workspace/SharedValues.h"

namespace fs = std::filesystem;

namespace {

/// Log-like text (compresses about as well as real logs) or random bytes for binary files.
void writeFile(const fs::path& path, std::size_t size, bool text, std::mt19937_64& random)
{
    static const char* const words[] = {"INFO",    "ERROR",  "render", "document", "page",    "font",  "cache", "sync",
                                        "license", "update", "0x7ff8", "thread",   "timeout", "retry", "ok"};
    std::string content;
    content.reserve(size);
    while (content.size() < size) {
        if (text) {
            content += "2026-12-06 08:";
            content += std::to_string(random() % 60) + ":" + std::to_string(random() % 60) + " ";
            for (int i = 0; i < 8; ++i) {
                content += words[random() % std::size(words)];
                content += ' ';
            }
            content += std::to_string(random() % 100000);
            // What hiding replaces: one line in eight names the user's file, host and an address.
            if (random() % 8 == 0)
                content += " opened /home/mkowal/Documents/a" + std::to_string(random() % 100) +
                           ".scriv on aurora for marta@studio.example";
            content += "\n";
        } else {
            const std::uint64_t value = random();
            content.append(reinterpret_cast<const char*>(&value), sizeof value);
        }
    }
    content.resize(size);
    std::ofstream(path, std::ios::binary) << content;
}

int generate(const fs::path& dir, int files, std::size_t mebibytes)
{
    std::mt19937_64 random(42);  // same tree every time, so both runs pack identical input
    const fs::path edition = dir / "session" / "Scrivo";
    fs::create_directories(dir / "temp");
    const char* const kept[] = {".log", ".txt", ".plist", ".xml", ".json", ".dmp", ".csv", ".LOG"};
    const char* const pruned[] = {".bin", ".dat", "", ".cache", ".DS_Store"};
    const std::size_t average = mebibytes * 1024 * 1024 / static_cast<std::size_t>(files);
    for (int i = 0; i < files; ++i) {
        const fs::path folder = edition / ("folder" + std::to_string(i % 250)) / ("sub" + std::to_string(i % 7));
        fs::create_directories(folder);
        // One file: a single log of exactly that size, the case of one huge verbose log.
        const bool single = files == 1, keep = single || random() % 10 < 7;
        const std::string extension = single ? ".log"
                                      : keep ? kept[random() % std::size(kept)]
                                             : pruned[random() % std::size(pruned)];
        const std::string name = extension == ".DS_Store" ? ".DS_Store" : "file" + std::to_string(i) + extension;
        const std::size_t size = single ? average : average / 2 + random() % (average + 1);
        writeFile(folder / name, size, keep, random);
    }
    std::ofstream(dir / "session" / "UserEmailFeedback.json")
        << R"({"machineid":"x","email":"","problemdesc":"bench"})";
    return 0;
}

int run(const fs::path& dir, bool hide)
{
    bench::logIntoSandbox(dir / "logroot");
    fs::create_directories(dir / "System");
    const tarvix::Session session{.system = dir / "System",
                                  .folder = dir / "session",
                                  .scratch = dir / "temp",
                                  .output = dir / "session" / "Scrivo"};

    auto start = std::chrono::steady_clock::now();
    if (!tarvix::FilesPathDirectory::removeFilesFromDirectoryRecursively((dir / "session").string(),
                                                                         tarvix::UtilityFunctions::allowedExtensions))
        return 1;
    const double pruning = bench::secondsSince(start);
    start = std::chrono::steady_clock::now();
    double hiding = 0, proving = 0, provingCpu = 0;
    tarvix::FilesPathDirectory::ArchiveWriting write;
    if (hide)
        write = [&](const fs::path& to) -> tarvix::Status {
            const tarvix::platform::Identity identity{"mkowal", "Marta Kowalska", "/home/mkowal", "aurora",
                                                      "aurora.lab.example"};
            const auto written = tarvix::FilesPathDirectory::writeShareArchive(
                session, {.leftOut = {}, .hideIdentity = true}, identity, "", to);
            hiding = bench::secondsSince(start);
            if (!written) return written.status();
            const auto proofStart = std::chrono::steady_clock::now();
            const double cpuBefore = bench::cpuSeconds();
            const auto proven = tarvix::proveArchive(to, tarvix::hiddenValues(identity), "", written->placeholders);
            proving = bench::secondsSince(proofStart);
            provingCpu = bench::cpuSeconds() - cpuBefore;
            if (!proven) return proven.status();
            if (*proven) return tarvix::Failure{"the proof found " + (*proven)->kind + " in " + (*proven)->entry};
            return {};
        };
    const auto archive = tarvix::FilesPathDirectory::CompressOutputDirectory(session, write);
    const bool archived = archive.ok();
    const double archiving = bench::secondsSince(start);
    const std::string made =
        hide ? tarvix::format("hiding and deflating %@ s, proof %@ s (cpu %@ s)",
                              {std::to_string(hiding).substr(0, 5), std::to_string(proving).substr(0, 5),
                               std::to_string(provingCpu).substr(0, 5)})
             : std::string("zip");
    std::printf("tarvix%s prune %.2f s, archive %.2f s (%s + rearrangement), total %.2f s; archive %.1f MiB; "
                "cpu %.2f s (user + system, zip included); peak RSS %.1f MiB (zip child %.1f MiB)%s\n",
                hide ? " hiding" : "", pruning, archiving, made.c_str(), pruning + archiving,
                archived ? static_cast<double>(fs::file_size(*archive)) / 1048576.0 : 0.0, bench::cpuSeconds(),
                bench::peakRssMiB(), bench::peakRssMiB(RUSAGE_CHILDREN), archived ? "" : " FAILED");
    return archived ? 0 : 1;
}

/// The review's list of the session, as the window asks for it before any pruning.
int list(const fs::path& dir)
{
    bench::logIntoSandbox(dir / "logroot");
    const auto start = std::chrono::steady_clock::now();
    const auto shareable = tarvix::listShareable(dir / "session");
    const double seconds = bench::secondsSince(start);
    if (!shareable) return 1;
    std::printf("listShareable %.3f s: %zu files, %.1f MiB, estimated archive %.1f MiB\n", seconds,
                shareable->entries.size(), static_cast<double>(shareable->totalSize) / 1048576.0,
                static_cast<double>(shareable->estimatedArchiveSize) / 1048576.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 5) return generate(argv[2], std::stoi(argv[3]), std::stoul(argv[4]));
    if (command == "run" && (argc == 3 || (argc == 4 && std::string(argv[3]) == "hide")))
        return run(argv[2], argc == 4);
    if (command == "list" && argc == 3) return list(argv[2]);
    std::cerr << "usage: tarvix-bench-package generate DIR FILES MIB | run DIR [hide] | list DIR\n";
    return 2;
}
