#pragma once

#include <curl/curl.h>

namespace tarvix::UploadAPI {

/// libcurl's functions as the upload uses them. The library is opened at the first upload rather
/// than linked: it and the eighteen libraries it loads cost every start about 6 ms, and most starts
/// never upload. The type checks of curl's own macros do not apply through these pointers.
struct Curl {
    decltype(&curl_global_init) global_init;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_wakeup) multi_wakeup;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
    decltype(&curl_url) url;
    decltype(&curl_url_cleanup) url_cleanup;
    decltype(&curl_url_set) url_set;
    decltype(&curl_url_get) url_get;
    decltype(&curl_free) free;
};

/// The library, opened and initialised once; nullptr when it cannot be (the reason is logged).
/// Everything that holds a curl handle got it through a non-null answer.
const Curl* curl();

}  // namespace tarvix::UploadAPI
