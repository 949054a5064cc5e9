#pragma once

#include <ostream>
#include <vector>

#include "Application.h"

namespace tarvix::system_profiler {

/// "Applications:", then one indented block per application, sorted by name:
///
///     NAME:
///
///       Version: ...
///       Obtained from: ...
void printApplications(std::ostream& out, std::vector<Application> applications);

}  // namespace tarvix::system_profiler
