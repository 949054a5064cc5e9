#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "CallTree.h"
#include "ProcessInfo.h"
#include "Tracee.h"

struct Dwfl;

namespace spindump {

inline constexpr std::chrono::milliseconds kSampleInterval{10};
inline constexpr std::chrono::seconds kSampleDuration{3};

/// One stack as read: return addresses from the innermost frame out, or why none could be read.
using RawStack = std::pair<std::vector<std::uint64_t>, std::string>;

struct ThreadSamples {
    std::string name;
    int samples = 0;
    /// Each stack seen, with how often: plain numbers until symbolise() makes the tree.
    std::map<RawStack, int> stacks;
    CallTree tree;
};

struct SamplingResult {
    int samplesTaken = 0;
    /// The process ended before the sampling time was over.
    bool processExited = false;
    /// Sampling stopped because the process ran a new program or its credentials changed.
    bool identityChanged = false;
    std::chrono::milliseconds elapsed{0};
    std::map<pid_t, ThreadSamples> threads;
};

enum class AttachFailure { NoSuchProcess, PermissionDenied, IdentityChanged, Other };

struct AttachError {
    AttachFailure failure = AttachFailure::Other;
    std::string message;
};

/// Whether credentials read from a stopped thread are those we may read it under.
using CredentialsCheck = std::function<bool(const Credentials&)>;

/// Unwinds every thread of one process through libdwfl while the Tracee holds them all stopped.
class Sampler {
public:
    /// Seizes the process, reads its modules and checks that its threads can be stopped and
    /// unwound. `isTarget` says whether `pid` still names the process we mean: a round read while
    /// it did not may be another process's, and is dropped. `mayRead` is asked in every round,
    /// of every stopped thread, before anything of it is read.
    static std::unique_ptr<Sampler> attach(pid_t pid, AttachError& error, std::function<bool()> isTarget,
                                           CredentialsCheck mayRead);
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    /// Samples every thread each kSampleInterval for kSampleDuration, until the process ends or
    /// changes identity; then lets it go. Symbols are left for symbolise().
    SamplingResult run();
    /// Turns the sampled addresses into call trees. Parses the target's ELF and DWARF: run it
    /// only once no capability is left.
    void symbolise(SamplingResult& result);

private:
    struct DwflDeleter {
        void operator()(Dwfl* dwfl) const;
    };
    struct Stack;

    Sampler(pid_t pid, std::unique_ptr<Tracee> tracee, std::unique_ptr<Dwfl, DwflDeleter> dwfl,
            std::function<bool()> isTarget, CredentialsCheck mayRead)
        : m_pid(pid), m_tracee(std::move(tracee)), m_dwfl(std::move(dwfl)), m_isTarget(std::move(isTarget)),
          m_mayRead(std::move(mayRead))
    {
    }
    /// One round: stops every thread, checks who each is, reads their stacks, lets them go.
    /// False when no thread could be read.
    bool sampleOnce(SamplingResult& result, int* lastErrno = nullptr);
    /// Reads the stacks of the `readable` stopped threads; false when none could be read.
    bool readStacks(SamplingResult& result, const std::set<pid_t>& readable, int* lastErrno);
    std::string frameLabel(unsigned long address);

    pid_t m_pid;
    std::unique_ptr<Tracee> m_tracee;
    std::unique_ptr<Dwfl, DwflDeleter> m_dwfl;
    std::function<bool()> m_isTarget;
    CredentialsCheck m_mayRead;
    std::map<unsigned long, std::string> m_labels;
};

}  // namespace spindump
