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
    const bool all =
        resolve(library, "curl_global_init", c.global_init) && resolve(library, "curl_easy_init", c.easy_init) &&
        resolve(library, "curl_easy_cleanup", c.easy_cleanup) && resolve(library, "curl_easy_setopt", c.easy_setopt) &&
        resolve(library, "curl_easy_getinfo", c.easy_getinfo) &&
        resolve(library, "curl_easy_strerror", c.easy_strerror) && resolve(library, "curl_multi_init", c.multi_init) &&
        resolve(library, "curl_multi_cleanup", c.multi_cleanup) &&
        resolve(library, "curl_multi_add_handle", c.multi_add_handle) &&
        resolve(library, "curl_multi_remove_handle", c.multi_remove_handle) &&
        resolve(library, "curl_multi_perform", c.multi_perform) && resolve(library, "curl_multi_poll", c.multi_poll) &&
        resolve(library, "curl_multi_wakeup", c.multi_wakeup) &&
        resolve(library, "curl_multi_info_read", c.multi_info_read) &&
        resolve(library, "curl_slist_append", c.slist_append) &&
        resolve(library, "curl_slist_free_all", c.slist_free_all) && resolve(library, "curl_url", c.url) &&
        resolve(library, "curl_url_cleanup", c.url_cleanup) && resolve(library, "curl_url_set", c.url_set) &&
        resolve(library, "curl_url_get", c.url_get) && resolve(library, "curl_free", c.free);
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
