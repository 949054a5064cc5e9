#pragma once

#include <sys/types.h>

#include <array>
#include <compare>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Dwfl;

namespace tarvix::spindump {

/// What a stopped thread showed: its registers in DWARF order (x86-64: rax, rdx, rcx, rbx, rsi,
/// rdi, rbp, rsp, r8 ... r15, then rip) and the stack from just below its stack pointer up.
struct StackSnapshot {
    std::array<std::uint64_t, 17> registers{};
    std::uint64_t stackStart = 0;
    std::string stack;
    /// Which of the programs the process ran while sampled it comes from (their modules differ).
    std::size_t program = 0;
    auto operator<=>(const StackSnapshot&) const = default;
};

/// One unwound stack: return addresses from the innermost frame out, or why none could be read.
struct Frames {
    std::vector<std::uint64_t> addresses;
    std::string failure;
};

/// Unwinds snapshots after the fact through libdwfl, against the modules a /proc/PID/maps text
/// names: it parses the target's ELF and DWARF but never touches the process, so it runs with no
/// capability at all.
class Unwinder {
public:
    /// `pid` only names the process in libdwfl's state; nothing is read from it.
    Unwinder(pid_t pid, const std::string& maps);
    ~Unwinder();
    Unwinder(const Unwinder&) = delete;
    Unwinder& operator=(const Unwinder&) = delete;

    /// The frames of each snapshot, in order; all of them failed when the modules are unusable.
    std::vector<Frames> unwind(const std::vector<const StackSnapshot*>& snapshots);
    /// "function (module)", or the module and offset, or the bare address.
    std::string frameLabel(std::uint64_t address);

    struct Replay;

private:
    struct DwflDeleter {
        void operator()(Dwfl* dwfl) const;
    };

    // Before the Dwfl, which points to it until its end.
    std::unique_ptr<Replay> m_replay;
    std::unique_ptr<Dwfl, DwflDeleter> m_dwfl;
    std::string m_failure;
    std::map<std::uint64_t, std::string> m_labels;
};

}  // namespace tarvix::spindump
