#pragma once

#include <filesystem>
#include <functional>

/// For tests only.
namespace tarvix::PListOperations {

/// Forgets the switch's in-memory state, as a new process would.
void forgetStateForTesting();
/// Whether a switch is on as far as this process knows.
bool switchedOnForTesting();
/// `write` runs between the switch's read of a preference file and its replacement, as the
/// target writing the file at that moment would; empty: nothing runs.
void writeMeanwhileForTesting(std::function<void(const std::filesystem::path&)> write);

}  // namespace tarvix::PListOperations
