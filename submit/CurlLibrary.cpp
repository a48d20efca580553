#include "CurlLibrary.h"

#include <QLibrary>
#include <mutex>

namespace {

template <class F>
bool Resolve(QLibrary& library, const char* name, F& function)
{
    function = reinterpret_cast<F>(library.resolve(name));
    return function != nullptr;
}

const CurlLibrary* Load()
{
    static QLibrary library(QStringLiteral("curl"), 4);
    if (!library.load())
        return nullptr;
    static CurlLibrary api;
    const bool all = Resolve(library, "curl_global_init", api.global_init) && Resolve(library, "curl_easy_init", api.easy_init)
        && Resolve(library, "curl_easy_setopt", api.easy_setopt) && Resolve(library, "curl_easy_perform", api.easy_perform)
        && Resolve(library, "curl_easy_getinfo", api.easy_getinfo) && Resolve(library, "curl_easy_cleanup", api.easy_cleanup)
        && Resolve(library, "curl_easy_strerror", api.easy_strerror)
        && Resolve(library, "curl_slist_append", api.slist_append)
        && Resolve(library, "curl_slist_free_all", api.slist_free_all) && Resolve(library, "curl_mime_init", api.mime_init)
        && Resolve(library, "curl_mime_addpart", api.mime_addpart) && Resolve(library, "curl_mime_data", api.mime_data)
        && Resolve(library, "curl_mime_type", api.mime_type) && Resolve(library, "curl_mime_encoder", api.mime_encoder)
        && Resolve(library, "curl_mime_filedata", api.mime_filedata)
        && Resolve(library, "curl_mime_filename", api.mime_filename)
        && Resolve(library, "curl_mime_headers", api.mime_headers) && Resolve(library, "curl_mime_free", api.mime_free);
    if (!all)
        return nullptr;
    api.global_init(CURL_GLOBAL_DEFAULT);
    return &api;
}

} // namespace

const CurlLibrary* Curl()
{
    static std::once_flag once;
    static const CurlLibrary* api = nullptr;
    std::call_once(once, [] { api = Load(); });
    return api;
}
