#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "CallTree.h"

struct Dwfl;

namespace spindump {

inline constexpr std::chrono::milliseconds kSampleInterval{10};
inline constexpr std::chrono::seconds kSampleDuration{3};

struct ThreadSamples {
    std::string name;
    int samples = 0;
    CallTree tree;
};

struct SamplingResult {
    int samplesTaken = 0;
    /// The process ended before the sampling time was over.
    bool processExited = false;
    std::chrono::milliseconds elapsed{0};
    std::map<pid_t, ThreadSamples> threads;
};

enum class AttachFailure { NoSuchProcess, PermissionDenied, Other };

struct AttachError {
    AttachFailure failure = AttachFailure::Other;
    std::string message;
};

/// Unwinds every thread of one process through libdwfl, which ptrace-attaches each thread only
/// for the moment its stack is read.
class Sampler {
public:
    /// Reads the process's modules and checks that its threads can be stopped and unwound.
    /// `isTarget` says whether `pid` still names the process we mean: a round read while it did
    /// not may be another process's, and is dropped.
    static std::unique_ptr<Sampler> attach(pid_t pid, AttachError& error, std::function<bool()> isTarget);
    ~Sampler();
    Sampler(const Sampler&) = delete;
    Sampler& operator=(const Sampler&) = delete;

    /// Samples every thread each kSampleInterval for kSampleDuration, or until the process ends.
    SamplingResult run();

private:
    struct DwflDeleter {
        void operator()(Dwfl* dwfl) const;
    };
    struct Stack;

    Sampler(pid_t pid, std::unique_ptr<Dwfl, DwflDeleter> dwfl, std::function<bool()> isTarget)
        : m_pid(pid), m_dwfl(std::move(dwfl)), m_isTarget(std::move(isTarget))
    {
    }
    /// One round over all threads; false when no thread could be read.
    bool sampleOnce(SamplingResult& result, int* lastErrno = nullptr);
    std::string frameLabel(unsigned long address);

    pid_t m_pid;
    std::unique_ptr<Dwfl, DwflDeleter> m_dwfl;
    std::function<bool()> m_isTarget;
    std::map<unsigned long, std::string> m_labels;
};

}  // namespace spindump
