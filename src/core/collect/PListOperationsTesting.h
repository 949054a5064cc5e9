#pragma once

/// For tests only: forget the switch's in-memory state, as a new process would.
namespace PListOperations {

void forgetStateForTesting();

}  // namespace PListOperations
