// spindump PID -file PATH: samples every thread of a running process and writes a text report
// of its call stacks to PATH. Run by the data-dump capture, usually with administrator rights:
// then, as soon as it knows whom for, it is that user, who may only sample their own processes.
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "Invoker.h"
#include "Lifeline.h"
#include "PidFd.h"
#include "ProcessInfo.h"
#include "Report.h"
#include "ReportFile.h"
#include "Sampler.h"
#include "platform/ProcFiles.h"
#include "platform/Users.h"

namespace spindump = tarvix::spindump;
namespace platform = tarvix::platform;

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int usage(const std::string& problem)
{
    std::cerr << "spindump: " << problem << "\nusage: spindump PID -file PATH\n";
    return kUsageError;
}

std::string currentUserName() { return platform::userName(); }

/// What refused us, checked in the order the kernel checks (user ids and dumpability, then the
/// capabilities, then Yama) as far as /proc shows it.
std::string permissionHint(const spindump::ProcessInfo& process)
{
    if (process.tracerPid != 0) return "it is already being traced by process " + std::to_string(process.tracerPid);
    if (geteuid() == 0) return "the system does not allow tracing it";
    if (process.uid != geteuid()) return "run spindump as root or as that user";
    if (!process.plain) return "it runs a set-user-id or set-group-id program or has made itself undumpable";
    const auto own = spindump::readProcessInfo(getpid());
    if (!own || (process.permittedCapabilities & ~own->permittedCapabilities) != 0)
        return "it holds capabilities that user " + currentUserName() + " does not have";
    if (const auto scope = spindump::yamaPtraceScope(); scope && *scope > 0)
        return "the system lets only root trace it (kernel.yama.ptrace_scope " + std::to_string(*scope) +
               "); run spindump as root";
    return "the system does not allow tracing it";
}

int fail(const std::string& problem)
{
    std::cerr << "spindump: " << problem << '\n';
    return kFailure;
}

std::string cannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write " + path + ": " + reason;
}

/// Only a process that is the invoker's in every user id: not root's, not another user's, not a
/// set-user-id program the invoker started.
bool belongsTo(const spindump::PidFd& target, uid_t uid)
{
    const auto ids = spindump::userIds(target.pid());
    bool all = !ids.empty();
    for (const uid_t id : ids) all = all && id == uid;
    return all && target.alive();
}

/// With an invoker, each thread must act as the invoker in every user and group id, be dumpable
/// and hold no capability the invoker lacks; without, it must stay as it was when first stopped.
spindump::CredentialsCheck credentialsCheck(const std::optional<spindump::Invoker>& invoker)
{
    if (invoker) {
        return [uid = invoker->uid, gid = invoker->gid, held = invoker->capabilities,
                name = currentUserName()](const spindump::Credentials& credentials) -> std::string {
            bool all = credentials.owner == uid;
            for (const uid_t id : credentials.uids) all = all && id == uid;
            for (const gid_t id : credentials.gids) all = all && id == gid;
            if (!all) return "it does not belong to user " + name + ", who asked for the report";
            if ((credentials.capabilities() & ~held) != 0)
                return "it holds capabilities that user " + name + ", who asked for the report, does not have";
            return {};
        };
    }
    return [first = std::optional<spindump::Credentials>()](
               const spindump::Credentials& credentials) mutable -> std::string {
        if (!first) first = credentials;
        return credentials == *first ? std::string() : "its credentials changed";
    };
}

}  // namespace

int main(int argc, char** argv)
{
    // Symbols come from the files on this machine only; a sampling tool must not wait on the network.
    unsetenv("DEBUGINFOD_URLS");

    if (argc != 4 || std::string(argv[2]) != "-file") return usage("expected a process id and -file PATH");
    auto pid = platform::parsePid(argv[1]);
    if (!pid) return usage("invalid process id '" + std::string(argv[1]) + "'");
    const std::string path = argv[3];
    if (path.empty()) return usage("empty output path");
    if (*pid == getpid()) return usage("cannot sample itself");

    // Before the change of user, which takes every capability from the watching thread: only
    // this one keeps CAP_SYS_PTRACE (capabilities belong to a thread, the user ids to all).
    spindump::lifeline::watch();
    auto invoker = spindump::invokerFromEnvironment();
    if (!invoker) return fail(invoker.message());
    auto target = spindump::PidFd::open(*pid);
    if (!target)
        return fail(target.failure().errorNumber == ESRCH ? "no such process: " + std::to_string(*pid)
                                                          : target.message());
    // Before anything of the target is read: what it holds (its files, ELF and DWARF) is read
    // with its owner's rights, never root's.
    if (*invoker) {
        if (auto became = spindump::becomeInvoker(**invoker); !became)
            return fail("cannot act as user " + std::to_string((*invoker)->uid) + ": " + became.message());
        if (!belongsTo(*target, (*invoker)->uid))
            return fail("refusing to sample process " + std::to_string(*pid) + ": it does not belong to user " +
                        currentUserName() + ", who asked for the report");
    }
    const bool mustBeNew = invoker->has_value();
    if (auto problem = spindump::reportPathProblem(path, mustBeNew)) return fail(cannotWrite(path, *problem));

    // Only for the words of a refusal: the report's header is read while the process is stopped
    // and checked.
    auto process = spindump::readProcessInfo(*pid);
    if (!process || !target->alive()) return fail("no such process: " + std::to_string(*pid));

    spindump::AttachError attachError;
    auto sampler = spindump::Sampler::attach(
        *pid, attachError, [&target] { return target->alive(); }, credentialsCheck(*invoker),
        [&process, &pid] { process = spindump::readProcessInfo(*pid); });
    if (sampler && !process) return fail("no such process: " + std::to_string(*pid));
    if (!sampler) {
        switch (attachError.failure) {
        case spindump::AttachFailure::NoSuchProcess: std::cerr << "spindump: no such process: " << *pid << '\n'; break;
        case spindump::AttachFailure::PermissionDenied:
            std::cerr << "spindump: permission denied: cannot sample process " << *pid << " (" << process->name
                      << ", user " << process->userName << ") as user " << currentUserName() << "; "
                      << permissionHint(*process) << " (" << attachError.message << ")\n";
            break;
        case spindump::AttachFailure::IdentityChanged:
            std::cerr << "spindump: refusing to sample process " << *pid << ": " << attachError.message << '\n';
            break;
        case spindump::AttachFailure::Other:
            std::cerr << "spindump: cannot sample process " << *pid << " (" << process->name
                      << "): " << attachError.message << '\n';
            break;
        }
        return kFailure;
    }

    const time_t sampledAt = std::time(nullptr);
    auto sampling = sampler->run();
    sampler.reset();
    // The capability ends here: the process is let go, and what it holds (its Info.plist, its ELF
    // and DWARF) is parsed with the invoker's rights alone.
    if (*invoker) {
        if (auto dropped = spindump::dropCapabilities(); !dropped) return fail(dropped.message());
    }
    spindump::showCapabilities("reading Info.plist");
    spindump::readBundleInfo(*process);
    spindump::showCapabilities("resolving symbols");
    spindump::Sampler::symbolise(*pid, sampling);
    std::ostringstream report;
    spindump::writeReport(report, *process, sampling, sampledAt);

    const auto holding = spindump::lifeline::hold();
    if (spindump::lifeline::broken()) return fail("not written: the program that asked for it has ended");
    if (auto written = spindump::writeReportFile(path, report.str(), mustBeNew); !written)
        return fail(cannotWrite(path, written.message()));
    return 0;
}
