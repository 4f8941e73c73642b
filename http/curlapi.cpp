#include "curlapi.h"

#include "failure.h"

#include <dlfcn.h>

using namespace Qt::StringLiterals;

namespace http {

namespace {

    struct Loaded {
        CurlApi api {};
        QString failure; // empty when loaded
    };

    template <typename Function> bool resolve(void* library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(dlsym(library, name));
        return function != nullptr;
    }

    Loaded load()
    {
        Loaded loaded;
        void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL); // kept open while the program runs
        if (!library) {
            loaded.failure = u"The HTTP library could not be loaded: " % QString::fromLocal8Bit(dlerror()) % u'.';
            return loaded;
        }
        CurlApi& api = loaded.api;
        const bool all = resolve(library, "curl_global_init", api.global_init)
            && resolve(library, "curl_easy_init", api.easy_init)
            && resolve(library, "curl_easy_cleanup", api.easy_cleanup)
            && resolve(library, "curl_easy_setopt", api.easy_setopt)
            && resolve(library, "curl_easy_getinfo", api.easy_getinfo)
            && resolve(library, "curl_easy_strerror", api.easy_strerror)
            && resolve(library, "curl_slist_append", api.slist_append)
            && resolve(library, "curl_slist_free_all", api.slist_free_all)
            && resolve(library, "curl_multi_init", api.multi_init)
            && resolve(library, "curl_multi_cleanup", api.multi_cleanup)
            && resolve(library, "curl_multi_setopt", api.multi_setopt)
            && resolve(library, "curl_multi_add_handle", api.multi_add_handle)
            && resolve(library, "curl_multi_remove_handle", api.multi_remove_handle)
            && resolve(library, "curl_multi_socket_action", api.multi_socket_action)
            && resolve(library, "curl_multi_info_read", api.multi_info_read) && resolve(library, "curl_url", api.url)
            && resolve(library, "curl_url_cleanup", api.url_cleanup) && resolve(library, "curl_url_set", api.url_set)
            && resolve(library, "curl_url_get", api.url_get) && resolve(library, "curl_free", api.free);
        decltype(&curl_version_info) versionInfo = nullptr;
        if (all && resolve(library, "curl_version_info", versionInfo))
            api.version = versionInfo(CURLVERSION_NOW)->version_num;
        if (!all)
            loaded.failure = u"The HTTP library is too old: " % QString::fromLocal8Bit(dlerror()) % u'.';
        else if (api.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            loaded.failure = u"The HTTP library could not be started."_s;
        return loaded;
    }

} // namespace

const CurlApi& curlApi()
{
    static const Loaded loaded = load();
    if (!loaded.failure.isEmpty())
        throw foundation::Failure(loaded.failure);
    return loaded.api;
}

} // namespace http
