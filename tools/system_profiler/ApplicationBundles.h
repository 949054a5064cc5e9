#pragma once

#include <filesystem>
#include <vector>

#include "Application.h"

namespace tarvix::system_profiler {

/// The NAME.app bundles of each folder and of its direct sub-folders.
std::vector<Application> findApplicationBundles(const std::vector<std::filesystem::path>& folders);

}  // namespace tarvix::system_profiler
