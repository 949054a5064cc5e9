#include "Unwinder.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#if !defined(__x86_64__)
#error "the snapshots hold x86-64 registers"
#endif

namespace tarvix::spindump {

/// The snapshots handed to libdwfl as threads, one after another, and the one being unwound.
struct Unwinder::Replay {
    const std::vector<const StackSnapshot*>* snapshots = nullptr;
    std::size_t next = 0;
    const StackSnapshot* current = nullptr;
};

namespace {

constexpr size_t kMaxFrames = 256;

const Dwfl_Callbacks kCallbacks = {
    .find_elf = dwfl_linux_proc_find_elf,
    .find_debuginfo = dwfl_standard_find_debuginfo,
    .section_address = nullptr,
    .debuginfo_path = nullptr,
};

// Each snapshot is a thread whose id is its index + 1. libdwfl unwinds a thread right after
// asking for it, so the last one handed out is the one whose memory is read.
pid_t nextThread(Dwfl*, void* arg, void** threadArg)
{
    auto& replay = *static_cast<Unwinder::Replay*>(arg);
    if (replay.next >= replay.snapshots->size()) return 0;
    replay.current = (*replay.snapshots)[replay.next];
    *threadArg = const_cast<StackSnapshot*>(replay.current);
    return static_cast<pid_t>(++replay.next);
}

bool readMemory(Dwfl*, Dwarf_Addr address, Dwarf_Word* result, void* arg)
{
    const StackSnapshot* snapshot = static_cast<Unwinder::Replay*>(arg)->current;
    if (!snapshot || address < snapshot->stackStart || snapshot->stack.size() < sizeof *result ||
        address - snapshot->stackStart > snapshot->stack.size() - sizeof *result)
        return false;
    std::memcpy(result, snapshot->stack.data() + (address - snapshot->stackStart), sizeof *result);
    return true;
}

bool setInitialRegisters(Dwfl_Thread* thread, void* threadArg)
{
    const auto& registers = static_cast<const StackSnapshot*>(threadArg)->registers;
    if (!dwfl_thread_state_registers(thread, 0, static_cast<unsigned>(registers.size()), registers.data()))
        return false;
    dwfl_thread_state_register_pc(thread, registers.back());
    return true;
}

const Dwfl_Thread_Callbacks kReplay = {
    .next_thread = nextThread,
    .get_thread = nullptr,
    .memory_read = readMemory,
    .set_initial_registers = setInitialRegisters,
    .detach = nullptr,
    .thread_detach = nullptr,
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

}  // namespace

void Unwinder::DwflDeleter::operator()(Dwfl* dwfl) const { dwfl_end(dwfl); }

Unwinder::Unwinder(pid_t pid, const std::string& maps) : m_replay(new Replay), m_dwfl(dwfl_begin(&kCallbacks))
{
    if (!m_dwfl || maps.empty()) {
        m_failure = m_dwfl ? "no memory map" : dwfl_errmsg(-1);
        return;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(fmemopen(const_cast<char*>(maps.data()), maps.size(), "r"), &fclose);
    dwfl_report_begin(m_dwfl.get());
    const int reported = file ? dwfl_linux_proc_maps_report(m_dwfl.get(), file.get()) : errno;
    if (dwfl_report_end(m_dwfl.get(), nullptr, nullptr) != 0 || reported != 0) {
        m_failure = reported > 0 ? std::strerror(reported) : dwfl_errmsg(-1);
        return;
    }
    if (!dwfl_attach_state(m_dwfl.get(), nullptr, pid, &kReplay, m_replay.get())) m_failure = dwfl_errmsg(-1);
}

Unwinder::~Unwinder() = default;

std::vector<Frames> Unwinder::unwind(const std::vector<const StackSnapshot*>& snapshots)
{
    std::vector<Frames> all(snapshots.size());
    if (!m_failure.empty()) {
        for (auto& frames : all) frames.failure = m_failure;
        return all;
    }
    *m_replay = Replay{&snapshots, 0, nullptr};
    auto onThread = [](Dwfl_Thread* thread, void* arg) -> int {
        auto& frames = (*static_cast<std::vector<Frames>*>(arg))[static_cast<std::size_t>(dwfl_thread_tid(thread) - 1)];
        auto onFrame = [](Dwfl_Frame* frame, void* arg) -> int {
            auto& addresses = *static_cast<std::vector<std::uint64_t>*>(arg);
            Dwarf_Addr pc = 0;
            bool isActivation = false;
            if (!dwfl_frame_pc(frame, &pc, &isActivation)) return DWARF_CB_ABORT;
            // A return address points after the call; step back into the calling instruction.
            addresses.push_back(isActivation ? pc : pc - 1);
            return addresses.size() < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
        };
        if (dwfl_thread_getframes(thread, onFrame, &frames.addresses) != 0 && frames.addresses.empty())
            frames.failure = dwfl_errmsg(-1);
        return DWARF_CB_OK;
    };
    dwfl_getthreads(m_dwfl.get(), onThread, &all);
    *m_replay = Replay{};
    return all;
}

std::string Unwinder::frameLabel(std::uint64_t address)
{
    auto cached = m_labels.find(address);
    if (cached != m_labels.end()) return cached->second;

    std::string label;
    Dwfl_Module* module = m_dwfl ? dwfl_addrmodule(m_dwfl.get(), address) : nullptr;
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

}  // namespace tarvix::spindump
