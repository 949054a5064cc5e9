#pragma once

/// For tests only: a test starts each case with no log file, as a fresh process does.
namespace tarvix::Logger {

void forgetLogFileForTesting();

}  // namespace tarvix::Logger
