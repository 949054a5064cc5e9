#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Status.h"

namespace tarvix::spindump {

/// The user who asked for the report through pkexec, while we run as root for them.
struct Invoker {
    uid_t uid = 0;
    gid_t gid = 0;
    std::vector<gid_t> groups;
    /// What a process of theirs holds without file capabilities: every one for root, none for
    /// anyone else.
    std::uint64_t capabilities = 0;
};

/// From PKEXEC_UID when we run as root; absent otherwise. A Failure when it names nobody.
tarvix::Result<std::optional<Invoker>> invokerFromEnvironment();

/// Becomes the invoker for good (user, group and groups), keeping of root's rights only
/// CAP_SYS_PTRACE, which tracing a process needs where the system restricts it.
tarvix::Status becomeInvoker(const Invoker& invoker);

/// Gives up CAP_SYS_PTRACE too: from here on only the invoker's own rights.
tarvix::Status dropCapabilities();

/// With SPINDUMP_SHOW_CAPABILITIES set (the tests set it), says on standard error which effective
/// capabilities any thread of ours holds as `moment` begins: the parsers must run with none.
void showCapabilities(const std::string& moment);

}  // namespace tarvix::spindump
