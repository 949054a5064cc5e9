#include "Sampler.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "ProcessInfo.h"

namespace spindump {
namespace {

constexpr size_t kMaxFrames = 256;

const Dwfl_Callbacks kCallbacks = {
    .find_elf = dwfl_linux_proc_find_elf,
    .find_debuginfo = dwfl_standard_find_debuginfo,
    .section_address = nullptr,
    .debuginfo_path = nullptr,
};

std::string demangled(const char* name)
{
    int status = -1;
    std::unique_ptr<char, decltype(&std::free)> text(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(name);
}

std::string hex(unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

AttachFailure failureFor(int error)
{
    if (error == ESRCH || error == ENOENT) return AttachFailure::NoSuchProcess;
    if (error == EPERM || error == EACCES) return AttachFailure::PermissionDenied;
    return AttachFailure::Other;
}

}  // namespace

struct Sampler::Stack {
    pid_t tid = 0;
    std::vector<Dwarf_Addr> frames;
    std::string failure;
};

void Sampler::DwflDeleter::operator()(Dwfl* dwfl) const { dwfl_end(dwfl); }

std::unique_ptr<Sampler> Sampler::attach(pid_t pid, AttachError& error, std::function<bool()> isTarget,
                                         CredentialsCheck mayRead)
{
    auto tracee = Tracee::seize(pid);
    if (!tracee) {
        error = {failureFor(tracee.failure().errorNumber), tracee.message()};
        return nullptr;
    }
    std::unique_ptr<Dwfl, DwflDeleter> dwfl(dwfl_begin(&kCallbacks));
    if (!dwfl) {
        error = {AttachFailure::Other, dwfl_errmsg(-1)};
        return nullptr;
    }
    dwfl_report_begin(dwfl.get());
    int status = dwfl_linux_proc_report(dwfl.get(), pid);
    if (status != 0) {
        error = {failureFor(status), status > 0 ? std::strerror(status) : dwfl_errmsg(-1)};
        return nullptr;
    }
    if (dwfl_report_end(dwfl.get(), nullptr, nullptr) != 0) {
        error = {AttachFailure::Other, dwfl_errmsg(-1)};
        return nullptr;
    }
    // The threads are the Tracee's to stop: libdwfl reads only those it holds stopped, through
    // ptrace, which refuses a running thread.
    status = dwfl_linux_proc_attach(dwfl.get(), pid, true);
    if (status != 0) {
        error = {failureFor(status > 0 ? status : 0), status > 0 ? std::strerror(status) : dwfl_errmsg(-1)};
        return nullptr;
    }

    std::unique_ptr<Sampler> sampler(
        new Sampler(pid, std::move(*tracee), std::move(dwfl), std::move(isTarget), std::move(mayRead)));
    // A trial round: a thread that cannot be stopped or unwound fails here, before any report is
    // written.
    SamplingResult trial;
    int lastErrno = 0;
    if (!sampler->sampleOnce(trial, &lastErrno)) {
        if (trial.identityChanged) {
            error = {AttachFailure::IdentityChanged, "it does not act as the user who asked"};
        } else if (!sampler->m_isTarget() || processState(pid) == ProcessState::Gone) {
            error = {AttachFailure::NoSuchProcess, std::strerror(ESRCH)};
        } else {
            error = {failureFor(lastErrno), lastErrno ? std::strerror(lastErrno) : dwfl_errmsg(-1)};
        }
        return nullptr;
    }
    return sampler;
}

Sampler::~Sampler() = default;

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

bool Sampler::sampleOnce(SamplingResult& result, int* lastErrno)
{
    const Halt halt = m_tracee->stop();
    bool read = false;
    if (halt == Halt::Exec) {
        result.identityChanged = true;
    } else if (halt == Halt::Stopped) {
        // Checked while stopped: until a thread runs again, nothing can change whom it acts as.
        std::set<pid_t> readable;
        for (const pid_t tid : m_tracee->stopped()) {
            const auto credentials = threadCredentials(m_pid, tid);
            if (credentials && !m_mayRead(*credentials)) result.identityChanged = true;
            if (credentials) readable.insert(tid);
        }
        if (!result.identityChanged) read = readStacks(result, readable, lastErrno);
    }
    if (!result.identityChanged) m_tracee->resume();
    return read;
}

bool Sampler::readStacks(SamplingResult& result, const std::set<pid_t>& readable, int* lastErrno)
{
    struct Round {
        const std::set<pid_t>& readable;
        std::vector<Stack> stacks;
        int lastErrno = 0;
    } round{readable, {}, 0};

    auto onThread = [](Dwfl_Thread* thread, void* arg) -> int {
        auto& round = *static_cast<Round*>(arg);
        Stack stack;
        stack.tid = dwfl_thread_tid(thread);
        if (!round.readable.count(stack.tid)) return DWARF_CB_OK;
        auto onFrame = [](Dwfl_Frame* frame, void* arg) -> int {
            auto& frames = *static_cast<std::vector<Dwarf_Addr>*>(arg);
            Dwarf_Addr pc = 0;
            bool isActivation = false;
            if (!dwfl_frame_pc(frame, &pc, &isActivation)) return DWARF_CB_ABORT;
            // A return address points after the call; step back into the calling instruction.
            frames.push_back(isActivation ? pc : pc - 1);
            return frames.size() < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
        };
        errno = 0;
        if (dwfl_thread_getframes(thread, onFrame, &stack.frames) != 0 && stack.frames.empty()) {
            int error = errno;
            if (error == ESRCH) return DWARF_CB_OK;  // the thread ended between listing and stopping it
            round.lastErrno = error;
            stack.failure = dwfl_errmsg(-1);
        }
        round.stacks.push_back(std::move(stack));
        return DWARF_CB_OK;
    };
    dwfl_getthreads(m_dwfl.get(), onThread, &round);
    if (lastErrno) *lastErrno = round.lastErrno;
    if (!m_isTarget()) return false;

    bool anyStack = false;
    for (const auto& stack : round.stacks) anyStack = anyStack || !stack.frames.empty();
    if (!anyStack) return false;

    ++result.samplesTaken;
    for (const auto& stack : round.stacks) {
        auto& thread = result.threads[stack.tid];
        auto name = threadName(m_pid, stack.tid);
        if (!name.empty()) thread.name = name;
        ++thread.samples;
        ++thread.stacks[{{stack.frames.begin(), stack.frames.end()}, stack.frames.empty() ? stack.failure : ""}];
    }
    return true;
}

void Sampler::symbolise(SamplingResult& result)
{
    for (auto& [tid, thread] : result.threads) {
        for (const auto& [stack, count] : thread.stacks) {
            std::vector<std::string> labels;
            if (stack.first.empty()) labels.push_back("??? (stack not readable: " + stack.second + ")");
            for (auto frame = stack.first.rbegin(); frame != stack.first.rend(); ++frame)
                labels.push_back(frameLabel(*frame));
            thread.tree.add(labels, count);
        }
    }
}

std::string Sampler::frameLabel(unsigned long address)
{
    auto cached = m_labels.find(address);
    if (cached != m_labels.end()) return cached->second;

    std::string label;
    Dwfl_Module* module = dwfl_addrmodule(m_dwfl.get(), address);
    if (!module) {
        label = "??? (" + hex(address) + ")";
    } else {
        Dwarf_Addr moduleStart = 0;
        const char* moduleName =
            dwfl_module_info(module, nullptr, &moduleStart, nullptr, nullptr, nullptr, nullptr, nullptr);
        std::string shortName = moduleName ? std::filesystem::path(moduleName).filename().string() : std::string("???");
        GElf_Off offset = 0;
        GElf_Sym symbol{};
        const char* symbolName = dwfl_module_addrinfo(module, address, &offset, &symbol, nullptr, nullptr, nullptr);
        if (symbolName && *symbolName) {
            // "clock_nanosleep@GLIBC_2.2.5": the symbol version says nothing about the stack.
            std::string name = symbolName;
            name = name.substr(0, name.find('@'));
            label = demangled(name.c_str()) + " (" + shortName + ")";
        } else
            label = "??? (" + shortName + " + " + hex(address - moduleStart) + ")";
    }
    m_labels.emplace(address, label);
    return label;
}

}  // namespace spindump
