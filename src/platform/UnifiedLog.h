#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class LogType { Default, Info, Debug, Error, Fault };

/// Sends one entry to the system journal from a writer thread. Never blocks: when the bounded
/// queue is full the entry is dropped and counted; when there is no journal nothing is sent.
void sendToUnifiedLog(LogType type, const std::string& subsystem, const std::string& category,
                      const std::string& formatString, const std::string& message);

struct UnifiedLogStats {
    std::uint64_t queued = 0;
    std::uint64_t sent = 0;
    std::uint64_t dropped = 0;
};
UnifiedLogStats unifiedLogStats();
/// Waits (bounded) until the writer has handled everything queued so far. For tests and exit.
void flushUnifiedLog();

}  // namespace platform
