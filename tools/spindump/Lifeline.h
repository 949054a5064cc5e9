#pragma once

#include <mutex>

// When our standard input is a pipe, its other end belongs to the program that started us
// (Tarvix), which never writes to it: its closing means that program has ended. A report
// nobody waits for is not written, and sampling for it stops.
namespace tarvix::spindump::lifeline {

/// Starts a thread that ends the process once the lifeline breaks, unless a report is being
/// written (see hold()). Does nothing when standard input is no pipe.
void watch();

/// Held while the report is written, so it is written whole or not at all.
std::unique_lock<std::mutex> hold();

/// Whether the program that started us is gone.
bool broken();

}  // namespace tarvix::spindump::lifeline
