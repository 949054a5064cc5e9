// Uploads one archive with UploadAPI to the build's log server; prints time, throughput and
// peak resident memory. Used by run_upload_bench.
#include <future>
#include <iostream>

#include "BenchSupport.h"
#include "config/BuildConfig.h"
#include "core/upload/UploadAPI.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: tarvix-bench-upload ARCHIVE SCRATCH_DIR\n";
        return 2;
    }
    const std::filesystem::path archive = argv[1];
    bench::logIntoSandbox(argv[2]);
    const double size = static_cast<double>(std::filesystem::file_size(archive)) / (1024.0 * 1024.0);

    std::promise<tarvix::UploadAPI::Result> done;
    const auto start = std::chrono::steady_clock::now();
    tarvix::UploadAPI::upload(archive, nullptr,
                              [&done](tarvix::UploadAPI::Result result) { done.set_value(std::move(result)); });
    const tarvix::UploadAPI::Result result = done.get_future().get();
    const double seconds = bench::secondsSince(start);

    const auto* error = result ? nullptr : &result.error();
    std::printf("tarvix  upload to %s: %.1f MiB in %.2f s = %.0f MiB/s, peak RSS %.1f MiB, %s\n",
                tarvix::BuildConfig::kLogServerHost, size, seconds, size / seconds, bench::peakRssMiB(),
                error ? ("failed: " + error->domain + " " + std::to_string(error->code)).c_str() : "success");
    return error ? 1 : 0;
}
