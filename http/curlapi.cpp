#include "curlapi.h"

#include "failure.h"

#ifdef _WIN32
#include <string>

#include <windows.h>
#else
#include <dlfcn.h>
#endif

using namespace Qt::StringLiterals;

namespace http {

namespace {

    struct Loaded {
        CurlApi api {};
        QString failure; // empty when loaded
    };

#ifdef _WIN32
    using Library = HMODULE;

    // The libcurl shipped beside the program, by its full path: never a DLL that the search path finds
    // first. Empty where the program's own folder is not known, for no other place is right.
    const std::wstring& libraryPath()
    {
        static const std::wstring path = [] {
            std::wstring path(MAX_PATH, L'\0');
            DWORD length = 0;
            while ((length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) == path.size())
                path.resize(path.size() * 2);
            if (length == 0)
                return std::wstring();
            path.resize(path.find_last_of(L'\\', length) + 1);
            return path + L"libcurl-4.dll";
        }();
        return path;
    }

    // The library and the system's own words for the last failure, without the line break it ends them with.
    QString lastError()
    {
        const DWORD code = GetLastError();
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
            0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        const QString message = length ? QString::fromWCharArray(text, int(length)).trimmed() : u"error %1"_s.arg(code);
        LocalFree(text);
        return QString::fromStdWString(libraryPath()) % u": " % message;
    }

    // Its own DLLs are looked for in its folder too.
    Library openLibrary()
    {
        const std::wstring& path = libraryPath();
        return path.empty() ? nullptr : LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }

    void* symbol(Library library, const char* name)
    {
        return reinterpret_cast<void*>(GetProcAddress(library, name));
    }
#else
    using Library = void*;

    QString lastError()
    {
        return QString::fromLocal8Bit(dlerror());
    }

    Library openLibrary()
    {
        return dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    }

    void* symbol(Library library, const char* name)
    {
        return dlsym(library, name);
    }
#endif

    template <typename Function> bool resolve(Library library, const char* name, Function& function)
    {
        function = reinterpret_cast<Function>(symbol(library, name));
        return function != nullptr;
    }

    Loaded load()
    {
        Loaded loaded;
        const Library library = openLibrary(); // kept open while the program runs
        if (!library) {
            loaded.failure = u"The HTTP library could not be loaded: " % lastError() % u'.';
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
            loaded.failure = u"The HTTP library is too old: " % lastError() % u'.';
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
