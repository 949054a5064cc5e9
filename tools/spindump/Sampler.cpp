#include "Sampler.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

std::unique_ptr<Sampler> Sampler::attach(pid_t pid, AttachError& error, std::function<bool()> isTarget)
{
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
    status = dwfl_linux_proc_attach(dwfl.get(), pid, false);
    if (status != 0) {
        error = {failureFor(status > 0 ? status : 0), status > 0 ? std::strerror(status) : dwfl_errmsg(-1)};
        return nullptr;
    }

    std::unique_ptr<Sampler> sampler(new Sampler(pid, std::move(dwfl), std::move(isTarget)));
    // A trial round: a thread that cannot be stopped (another user's process, a process already
    // being traced) fails here, before any report is written.
    SamplingResult trial;
    int lastErrno = 0;
    if (!sampler->sampleOnce(trial, &lastErrno)) {
        if (!sampler->m_isTarget() || processState(pid) == ProcessState::Gone) {
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
        if (!m_isTarget() || processState(m_pid) == ProcessState::Gone) {
            result.processExited = true;
            break;
        }
        // Fixed-rate slots: a slow round skips the slots it overran instead of sampling in a burst.
        auto slot = (Clock::now() - start) / kSampleInterval + 1;
        std::this_thread::sleep_until(start + slot * kSampleInterval);
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

bool Sampler::sampleOnce(SamplingResult& result, int* lastErrno)
{
    struct Round {
        std::vector<Stack> stacks;
        int lastErrno = 0;
    } round;

    auto onThread = [](Dwfl_Thread* thread, void* arg) -> int {
        auto& round = *static_cast<Round*>(arg);
        Stack stack;
        stack.tid = dwfl_thread_tid(thread);
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
        std::vector<std::string> labels;
        if (stack.frames.empty()) labels.push_back("??? (stack not readable: " + stack.failure + ")");
        for (auto frame = stack.frames.rbegin(); frame != stack.frames.rend(); ++frame)
            labels.push_back(frameLabel(*frame));
        thread.tree.add(labels);
    }
    return true;
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
