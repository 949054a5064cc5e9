// tarvix-sample-sandbox ROOT [--edition scrivo|glance|both] [--version X.Y.Z] [--run scrivo|glance] [--detach]
// Lays out a sample installation of the target under ROOT for the demo. With --run it starts one
// edition and stays until SIGINT/SIGTERM, then stops it; with --detach as well it leaves the
// instance running and exits. The started instance's process id is printed as "PID <n>".
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "sample_target/SampleInstall.h"

namespace {

int usage()
{
    std::cerr << "usage: tarvix-sample-sandbox ROOT [--edition scrivo|glance|both] [--version X.Y.Z]"
                 " [--run scrivo|glance] [--detach]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tarvix::sample;
    if (argc < 2 || argv[1][0] == '-') return usage();
    Options options;
    std::optional<Edition> run;
    bool detach = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--edition" && hasValue) {
            const std::string value = argv[++i];
            if (value != "scrivo" && value != "glance" && value != "both") return usage();
            options.scrivo = value != "glance";
            options.glance = value != "scrivo";
        } else if (arg == "--version" && hasValue) {
            options.scrivoVersion = options.glanceVersion = argv[++i];
        } else if (arg == "--run" && hasValue) {
            const std::string value = argv[++i];
            if (value != "scrivo" && value != "glance") return usage();
            run = value == "scrivo" ? Edition::Scrivo : Edition::Glance;
        } else if (arg == "--detach") {
            detach = true;
        } else {
            return usage();
        }
    }

    try {
        const Layout layout = install(std::filesystem::absolute(argv[1]), options);
        std::cout << "Sample installed under " << layout.root.string() << "\n";
        if (!layout.scrivoBundle.empty()) std::cout << "  " << layout.scrivoBundle.string() << "\n";
        if (!layout.glanceBundle.empty()) std::cout << "  " << layout.glanceBundle.string() << "\n";
        if (!run) return 0;

        const auto& bundle = *run == Edition::Scrivo ? layout.scrivoBundle : layout.glanceBundle;
        if (bundle.empty()) {
            std::cerr << "tarvix-sample-sandbox: --run names an edition that --edition did not install\n";
            return 2;
        }
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        // Started before the signals are blocked: a spawned child inherits the signal mask.
        RunningInstance instance(bundle);
        std::cout << "PID " << instance.pid() << std::endl;
        if (detach) {
            instance.release();
            return 0;
        }
        sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
        int received = 0;
        sigwait(&stopSignals, &received);
        instance.stop();
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "tarvix-sample-sandbox: " << error.what() << "\n";
        return 1;
    }
}
