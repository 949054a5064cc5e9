#pragma once

#include <curl/curl.h>

namespace tarvix::UploadAPI {

// Each function as name in libcurl minus its "curl_" prefix: the table and its loading stay alike.
// clang-format off
#define TARVIX_CURL_FUNCTIONS(X) \
    X(global_init) \
    X(easy_init) X(easy_cleanup) X(easy_setopt) X(easy_getinfo) X(easy_strerror) \
    X(multi_init) X(multi_cleanup) X(multi_add_handle) X(multi_remove_handle) X(multi_perform) X(multi_poll) \
    X(multi_wakeup) X(multi_info_read) \
    X(slist_append) X(slist_free_all) \
    X(url) X(url_cleanup) X(url_set) X(url_get) X(free)
// clang-format on

/// libcurl's functions as the upload uses them. The library is opened at the first upload rather
/// than linked: it and the eighteen libraries it loads cost every start about 6 ms, and most starts
/// never upload. The type checks of curl's own macros do not apply through these pointers.
struct Curl {
#define TARVIX_CURL_MEMBER(name) decltype(&curl_##name) name;
    TARVIX_CURL_FUNCTIONS(TARVIX_CURL_MEMBER)
#undef TARVIX_CURL_MEMBER
};

/// The library, opened and initialised once; nullptr when it cannot be (the reason is logged).
/// Everything that holds a curl handle got it through a non-null answer.
const Curl* curl();

}  // namespace tarvix::UploadAPI
