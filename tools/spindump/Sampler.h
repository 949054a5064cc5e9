#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CallTree.h"
#include "ProcessInfo.h"
#include "Tracee.h"
#include "Unwinder.h"

namespace tarvix::spindump {

inline constexpr std::chrono::milliseconds kSampleInterval{10};
inline constexpr std::chrono::seconds kSampleDuration{3};

struct ThreadSamples {
    std::string name;
    int samples = 0;
    /// Each distinct snapshot, with how often it was seen, until symbolise() makes the tree.
    std::map<StackSnapshot, int> snapshots;
    CallTree tree;
};

/// A program the process ran while it was sampled, keeping its identity.
struct Exec {
    std::string executable;
    int fromSample = 0;  ///< the first sample taken of it, counting from 1
};

struct SamplingResult {
    int samplesTaken = 0;
    /// The process ended before the sampling time was over.
    bool processExited = false;
    /// Sampling stopped because the process changed identity (credentials, rights, or a program
    /// that is someone else's); `refusal` says how.
    bool identityChanged = false;
    std::string refusal;
    std::chrono::milliseconds elapsed{0};
    std::map<pid_t, ThreadSamples> threads;
    std::vector<Exec> execs;
    /// /proc/PID/maps of each program sampled, the first one's first, as last read while the
    /// threads were stopped.
    std::vector<std::string> maps;
};

enum class AttachFailure { NoSuchProcess, PermissionDenied, IdentityChanged, Other };

struct AttachError {
    AttachFailure failure = AttachFailure::Other;
    std::string message;
};

/// Why a stopped thread with these credentials may not be read; empty when it may.
using CredentialsCheck = std::function<std::string(const Credentials&)>;

/// Takes snapshots of every thread of one process (registers and stack) while the Tracee holds
/// them all stopped; symbolise() unwinds and names them later, when the process is let go.
class Sampler {
public:
    /// Seizes the process and checks that its threads can be stopped and read. `isTarget` says
    /// whether `pid` still names the process we mean: a round read while it did not may be
    /// another process's, and is dropped. `mayRead` is asked in every round, of every stopped
    /// thread, before anything of it is read. `whileChecked` runs once, in the first round that
    /// read the process, before its threads are let go.
    static std::unique_ptr<Sampler> attach(pid_t pid, AttachError& error, std::function<bool()> isTarget,
                                           CredentialsCheck mayRead, const std::function<void()>& whileChecked);

    /// Samples every thread each kSampleInterval for kSampleDuration, until the process ends or
    /// changes identity; then lets it go. An exec that keeps the identity is sampled on.
    SamplingResult run();
    /// Turns the snapshots into call trees. Parses the target's ELF and DWARF: run it only once
    /// no capability is left.
    static void symbolise(pid_t pid, SamplingResult& result);

private:
    Sampler(pid_t pid, std::unique_ptr<Tracee> tracee, std::function<bool()> isTarget, CredentialsCheck mayRead)
        : m_pid(pid), m_tracee(std::move(tracee)), m_isTarget(std::move(isTarget)), m_mayRead(std::move(mayRead))
    {
    }
    /// One round: stops every thread, checks whom each acts as, takes their snapshots, lets them
    /// go. False when no thread could be read. In the `trial` round an exec starts nothing new;
    /// `whileChecked` runs once the threads are read, before they are let go.
    bool sampleOnce(SamplingResult& result, int* lastErrno = nullptr, bool trial = false,
                    const std::function<void()>& whileChecked = {});
    /// Snapshots of the `readable` stopped threads; false when none could be taken.
    bool takeSnapshots(SamplingResult& result, const std::set<pid_t>& readable, int* lastErrno);
    /// Registers and stack of one stopped thread; false when its registers cannot be read.
    bool snapshot(pid_t tid, StackSnapshot& snapshot, int* lastErrno);

    pid_t m_pid;
    std::unique_ptr<Tracee> m_tracee;
    std::function<bool()> m_isTarget;
    CredentialsCheck m_mayRead;
    std::string m_buffer;
};

}  // namespace tarvix::spindump
