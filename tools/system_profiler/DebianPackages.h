#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "Application.h"

namespace tarvix::system_profiler {

/// The installed Debian packages that own the given files, read from the package database
/// ($DPKG_ADMINDIR, else /var/lib/dpkg) the way `dpkg -S` and `dpkg-query` would report them.
/// Files no installed package owns are absent from the result.
std::map<std::string, Package> owningPackages(const std::set<std::string>& files);

}  // namespace tarvix::system_profiler
