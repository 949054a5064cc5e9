#include "core/upload/Curl.h"

#include <dlfcn.h>

#include <optional>

#include "core/log/Logger.h"

namespace tarvix::UploadAPI {

namespace {

// The ABI of the headers built against; libcurl has kept this name since 7.16.
constexpr const char* kLibrary = "libcurl.so.4";

template <typename Function>
bool resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function) Logger::logError(std::string("libcurl has no ") + name);
    return function != nullptr;
}

std::optional<Curl> open()
{
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        Logger::logError(std::string("Cannot load ") + kLibrary + ": " + (reason ? reason : "unknown reason"));
        return std::nullopt;
    }
    Curl c{};
    bool all = true;
#define TARVIX_CURL_RESOLVE(name) all = all && resolve(library, "curl_" #name, c.name);
    TARVIX_CURL_FUNCTIONS(TARVIX_CURL_RESOLVE)
#undef TARVIX_CURL_RESOLVE
    // Kept open for the life of the process: handles may outlive any one upload.
    if (!all || c.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return std::nullopt;
    return c;
}

}  // namespace

const Curl* curl()
{
    static const std::optional<Curl> library = open();
    return library ? &*library : nullptr;
}

}  // namespace tarvix::UploadAPI
