#include "Invoker.h"

#include <grp.h>
#include <pwd.h>
#include <sys/capability.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "platform/ProcFiles.h"
#include "platform/Users.h"

namespace tarvix::spindump {
namespace {

struct CapFree {
    void operator()(cap_t caps) const { cap_free(caps); }
};
using Capabilities = std::unique_ptr<std::remove_pointer_t<cap_t>, CapFree>;

/// Exactly `kept` (none when empty) in the permitted and effective sets; nothing inheritable.
tarvix::Status keepOnly(std::vector<cap_value_t> kept)
{
    const Capabilities caps(cap_init());
    if (!caps) return tarvix::systemFailure(errno, "cap_init");
    const int count = static_cast<int>(kept.size());
    if (count > 0 && (cap_set_flag(caps.get(), CAP_PERMITTED, count, kept.data(), CAP_SET) != 0 ||
                      cap_set_flag(caps.get(), CAP_EFFECTIVE, count, kept.data(), CAP_SET) != 0))
        return tarvix::systemFailure(errno, "cap_set_flag");
    if (cap_set_proc(caps.get()) != 0) return tarvix::systemFailure(errno, "cap_set_proc");
    return {};
}

}  // namespace

tarvix::Result<std::optional<Invoker>> invokerFromEnvironment()
{
    const char* text = std::getenv("PKEXEC_UID");
    if (!text || geteuid() != 0) return std::optional<Invoker>();
    const std::string value = text;
    uid_t uid = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), uid);
    if (error != std::errc() || end != value.data() + value.size())
        return tarvix::Failure{"PKEXEC_UID is not a user id: '" + value + "'"};

    const auto entry = tarvix::platform::passwordEntry(uid);
    if (!entry) return tarvix::Failure{"PKEXEC_UID names no user: " + value};
    Invoker invoker{uid, entry->gid, std::vector<gid_t>(32), uid == 0 ? ~std::uint64_t{0} : 0};
    int count = static_cast<int>(invoker.groups.size());
    while (getgrouplist(entry->name.c_str(), entry->gid, invoker.groups.data(), &count) < 0)
        invoker.groups.resize(static_cast<std::size_t>(count));
    invoker.groups.resize(static_cast<std::size_t>(count));
    return std::optional<Invoker>(std::move(invoker));
}

tarvix::Status becomeInvoker(const Invoker& invoker)
{
    if (setgroups(invoker.groups.size(), invoker.groups.data()) != 0) return tarvix::systemFailure(errno, "setgroups");
    if (setresgid(invoker.gid, invoker.gid, invoker.gid) != 0) return tarvix::systemFailure(errno, "setresgid");
    // Permitted capabilities survive the change of user only with KEEPCAPS; the effective ones
    // are cleared by it and raised again below.
    if (prctl(PR_SET_KEEPCAPS, 1L, 0L, 0L, 0L) != 0) return tarvix::systemFailure(errno, "PR_SET_KEEPCAPS");
    if (setresuid(invoker.uid, invoker.uid, invoker.uid) != 0) return tarvix::systemFailure(errno, "setresuid");
    if (auto kept = keepOnly({CAP_SYS_PTRACE}); !kept) return kept;
    if (prctl(PR_SET_KEEPCAPS, 0L, 0L, 0L, 0L) != 0 ||
        prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0L, 0L, 0L) != 0 ||
        prctl(PR_SET_NO_NEW_PRIVS, 1L, 0L, 0L, 0L) != 0)
        return tarvix::systemFailure(errno, "prctl");
    return {};
}

tarvix::Status dropCapabilities() { return keepOnly({}); }

void showCapabilities(const std::string& moment)
{
    if (!std::getenv("SPINDUMP_SHOW_CAPABILITIES")) return;
    unsigned long long held = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc/self/task", error), end; !error && it != end;
         it.increment(error)) {
        const auto status = platform::readProcFile(it->path() / "status");
        if (const auto effective = status ? platform::statusValue(*status, "CapEff") : std::nullopt)
            held |= std::stoull(*effective, nullptr, 16);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", held);
    std::cerr << "spindump: effective capabilities while " << moment << ": " << text << '\n';
}

}  // namespace tarvix::spindump
