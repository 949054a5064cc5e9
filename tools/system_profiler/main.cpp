// system_profiler -detailLevel full SPApplicationsDataType: lists the installed applications
// (application bundles and desktop entries) on standard output, for the system-configuration
// capture. Folders come from HOME, XDG_DATA_HOME and XDG_DATA_DIRS.
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <iostream>
#include <set>

#include "ApplicationBundles.h"
#include "ApplicationsReport.h"
#include "DebianPackages.h"
#include "DesktopEntries.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    // Started by Tarvix's shell, which ends with Tarvix: so does this report.
    const pid_t parent = getppid();
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) return 1;

    if (argc != 4 || std::strcmp(argv[1], "-detailLevel") != 0 || std::strcmp(argv[2], "full") != 0 ||
        std::strcmp(argv[3], "SPApplicationsDataType") != 0) {
        std::cerr << "usage: system_profiler -detailLevel full SPApplicationsDataType\n"
                     "(the installed applications report is the only one available)\n";
        return 2;
    }

    const auto folders = tarvix::platform::Platform::fromSystem({}).folders;
    auto applications = tarvix::system_profiler::findApplicationBundles(folders.applicationFolders);
    auto entries = tarvix::system_profiler::findDesktopEntries(folders.desktopEntryFolders);
    applications.insert(applications.end(), entries.begin(), entries.end());

    std::set<std::string> locations;
    for (const auto& application : applications) locations.insert(application.location.string());
    auto packages = tarvix::system_profiler::owningPackages(locations);
    for (auto& application : applications) {
        auto owner = packages.find(application.location.string());
        if (owner != packages.end()) application.package = owner->second;
    }

    tarvix::system_profiler::printApplications(std::cout, std::move(applications));
    std::cout.flush();
    return std::cout ? 0 : 1;
}
