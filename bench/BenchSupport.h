#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/log/Logger.h"
#include "platform/Platform.h"

namespace bench {

/// Peak resident memory in MiB of this process (self) or of its waited-for children.
inline double peakRssMiB(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

/// CPU time (user + system) of this process and its waited-for children: on a shared machine
/// it varies far less than the wall clock.
inline double cpuSeconds()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            total += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    }
    return total;
}

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// The diagnostic log goes into `root`/home/.cache, as in a real run, not to the user's files.
inline tarvix::platform::Platform logIntoSandbox(const std::filesystem::path& root)
{
    auto sandbox = tarvix::platform::Platform::sandbox(root);
    tarvix::Logger::setupLogFile(sandbox.folders.caches);
    return sandbox;
}

}  // namespace bench
