#include "Sampler.h"

#include <sys/ptrace.h>
#include <sys/uio.h>
#include <sys/user.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/ProcFiles.h"

namespace tarvix::spindump {
namespace {

/// The System V x86-64 red zone: a leaf function may keep data this far below its stack pointer.
constexpr std::uint64_t kRedZone = 128;
/// Deeper stacks keep their innermost part; the unwinding ends where the copy does.
constexpr std::size_t kMaxStackBytes = 256 * 1024;
constexpr std::uint64_t kPage = 4096;

AttachFailure failureFor(int error)
{
    if (error == ESRCH || error == ENOENT) return AttachFailure::NoSuchProcess;
    if (error == EPERM || error == EACCES) return AttachFailure::PermissionDenied;
    return AttachFailure::Other;
}

std::string readText(const std::string& path) { return platform::readProcFile(path).value_or(""); }

}  // namespace

std::unique_ptr<Sampler> Sampler::attach(pid_t pid, AttachError& error, std::function<bool()> isTarget,
                                         CredentialsCheck mayRead, const std::function<void()>& whileChecked)
{
    auto tracee = Tracee::seize(pid);
    if (!tracee) {
        error = {failureFor(tracee.failure().errorNumber), tracee.message()};
        return nullptr;
    }
    std::unique_ptr<Sampler> sampler(new Sampler(pid, std::move(*tracee), std::move(isTarget), std::move(mayRead)));
    // A trial round: a thread that cannot be stopped or read fails here, before any report is
    // written. An exec before it (a shell just starting the program) ends nothing: nothing was
    // read yet, and what the process has become is checked like any other round.
    SamplingResult trial;
    int lastErrno = 0;
    if (!sampler->sampleOnce(trial, &lastErrno, true, whileChecked)) {
        if (trial.identityChanged) {
            error = {AttachFailure::IdentityChanged, trial.refusal};
        } else if (!sampler->m_isTarget() || processState(pid) == ProcessState::Gone) {
            error = {AttachFailure::NoSuchProcess, std::strerror(ESRCH)};
        } else {
            error = {failureFor(lastErrno), std::strerror(lastErrno ? lastErrno : EIO)};
        }
        return nullptr;
    }
    return sampler;
}

SamplingResult Sampler::run()
{
    using Clock = std::chrono::steady_clock;
    SamplingResult result;
    const auto start = Clock::now();
    for (auto now = start; now - start < kSampleDuration; now = Clock::now()) {
        // A round that reads no thread while the process lives (all threads busy exiting, say)
        // is not a sample; the next slot tries again.
        sampleOnce(result);
        if (result.identityChanged) break;
        if (!m_isTarget() || processState(m_pid) == ProcessState::Gone) {
            result.processExited = true;
            break;
        }
        // Fixed-rate slots: a slow round skips the slots it overran instead of sampling in a burst.
        auto slot = (Clock::now() - start) / kSampleInterval + 1;
        std::this_thread::sleep_until(start + slot * kSampleInterval);
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    m_tracee.reset();
    return result;
}

bool Sampler::sampleOnce(SamplingResult& result, int* lastErrno, bool trial, const std::function<void()>& whileChecked)
{
    const Halt halt = m_tracee->stop();
    if (halt == Halt::Exited) return false;
    // A new program is sampled on only as what the old one was: no set-id program, nothing that
    // stopped being dumpable, and no more rights than the checks allow.
    const bool exec = halt == Halt::Exec && !trial;
    bool read = false;
    // Checked while stopped: until a thread runs again, nothing can change whom it acts as.
    std::set<pid_t> readable;
    for (const pid_t tid : m_tracee->stopped()) {
        const auto credentials = threadCredentials(m_pid, tid);
        if (!credentials) continue;
        auto refusal = m_mayRead(*credentials);
        if (refusal.empty() && exec && !credentials->plain()) refusal = "it ran a set-id or undumpable program";
        if (!refusal.empty() && result.refusal.empty()) result.refusal = std::move(refusal);
        readable.insert(tid);
    }
    result.identityChanged = !result.refusal.empty();
    if (!result.identityChanged) {
        if (exec) {
            std::error_code error;
            const auto executable = std::filesystem::read_symlink("/proc/" + std::to_string(m_pid) + "/exe", error);
            result.execs.push_back({executable.string(), result.samplesTaken + 1});
            result.maps.emplace_back();
        }
        read = takeSnapshots(result, readable, lastErrno);
        if (read && whileChecked) whileChecked();
        m_tracee->resume();
    }
    return read;
}

bool Sampler::takeSnapshots(SamplingResult& result, const std::set<pid_t>& readable, int* lastErrno)
{
    std::vector<std::pair<pid_t, StackSnapshot>> round;
    for (const pid_t tid : readable) {
        StackSnapshot taken;
        if (snapshot(tid, taken, lastErrno)) round.emplace_back(tid, std::move(taken));
    }
    if (round.empty() || !m_isTarget()) return false;

    ++result.samplesTaken;
    if (result.maps.empty()) result.maps.emplace_back();
    for (auto& [tid, taken] : round) {
        auto& thread = result.threads[tid];
        auto name = threadName(m_pid, tid);
        if (!name.empty()) thread.name = name;
        ++thread.samples;
        taken.program = result.maps.size() - 1;
        ++thread.snapshots[std::move(taken)];
    }
    // The modules as they are now, for the unwinding after the process is let go.
    if (auto maps = readText("/proc/" + std::to_string(m_pid) + "/maps"); !maps.empty())
        result.maps.back() = std::move(maps);
    return true;
}

bool Sampler::snapshot(pid_t tid, StackSnapshot& snapshot, int* lastErrno)
{
    user_regs_struct regs{};
    if (ptrace(PTRACE_GETREGS, tid, nullptr, &regs) != 0) {
        if (lastErrno && errno != ESRCH) *lastErrno = errno;
        return false;
    }
    snapshot.registers = {regs.rax, regs.rdx, regs.rcx, regs.rbx, regs.rsi, regs.rdi, regs.rbp, regs.rsp, regs.r8,
                          regs.r9,  regs.r10, regs.r11, regs.r12, regs.r13, regs.r14, regs.r15, regs.rip};
    // Page by page: process_vm_readv stops at the first page it cannot read, the end of the stack.
    snapshot.stackStart = (regs.rsp - kRedZone) & ~std::uint64_t{7};
    std::vector<iovec> remote;
    for (std::uint64_t at = snapshot.stackStart, end = snapshot.stackStart + kMaxStackBytes; at < end;) {
        const std::uint64_t next = std::min(end, (at / kPage + 1) * kPage);
        remote.push_back({reinterpret_cast<void*>(at), static_cast<std::size_t>(next - at)});
        at = next;
    }
    m_buffer.resize(kMaxStackBytes);
    iovec local{m_buffer.data(), m_buffer.size()};
    const ssize_t got = process_vm_readv(m_pid, &local, 1, remote.data(), remote.size(), 0);
    // Only what was read is kept: hundreds of snapshots per thread may stay until the end.
    snapshot.stack.assign(m_buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
    return true;
}

void Sampler::symbolise(pid_t pid, SamplingResult& result)
{
    // Each program's stacks against the modules it had.
    for (std::size_t program = 0; program < result.maps.size(); ++program) {
        Unwinder unwinder(pid, result.maps[program]);
        for (auto& [tid, thread] : result.threads) {
            std::vector<const StackSnapshot*> snapshots;
            std::vector<int> counts;
            for (const auto& [taken, count] : thread.snapshots) {
                if (taken.program != program) continue;
                snapshots.push_back(&taken);
                counts.push_back(count);
            }
            if (snapshots.empty()) continue;
            const auto unwound = unwinder.unwind(snapshots);
            for (std::size_t i = 0; i < unwound.size(); ++i) {
                const auto& frames = unwound[i];
                std::vector<std::string> labels;
                if (frames.addresses.empty()) labels.push_back("??? (stack not readable: " + frames.failure + ")");
                for (auto frame = frames.addresses.rbegin(); frame != frames.addresses.rend(); ++frame)
                    labels.push_back(unwinder.frameLabel(*frame));
                thread.tree.add(labels, counts[i]);
            }
        }
    }
    for (auto& [tid, thread] : result.threads) thread.snapshots.clear();
}

}  // namespace tarvix::spindump
