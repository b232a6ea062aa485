// libcurl, loaded when the first address is opened rather than at start.
// libcurl brings a TLS stack, Kerberos, LDAP and more with it; a player that
// only plays local files never needs them, so they stay out of its memory
// and its start-up. The functions below stand in for the ones the program
// calls and pass each call on to the library, which is loaded on first use.
// Without the library every call fails as libcurl's own calls fail.
#include "engine/LibraryOnDemand.h"

#include <cstdarg>
#include <curl/curl.h>

namespace {

constexpr const char* kLibraryName = "libcurl.so.4";

struct CurlFunctions {
    CURLcode (*globalInit)(long) = nullptr;
    CURL* (*easyInit)() = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLcode (*easyPause)(CURL*, int) = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    CURLM* (*multiInit)() = nullptr;
    CURLMcode (*multiAddHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiRemoveHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiPerform)(CURLM*, int*) = nullptr;
    CURLMcode (*multiPoll)(CURLM*, curl_waitfd*, unsigned int, int, int*) = nullptr;
    CURLMcode (*multiWakeup)(CURLM*) = nullptr;
    CURLMsg* (*multiInfoRead)(CURLM*, int*) = nullptr;
    CURLMcode (*multiCleanup)(CURLM*) = nullptr;
};

using zeb::ResolveFunction;

CurlFunctions LoadLibrary() {
    return zeb::LoadFunctions<CurlFunctions>(
        kLibraryName, "network addresses cannot be opened", [](void* library, CurlFunctions& f) {
            return ResolveFunction(library, "curl_global_init", f.globalInit) &&
                   ResolveFunction(library, "curl_easy_init", f.easyInit) &&
                   ResolveFunction(library, "curl_easy_setopt", f.easySetopt) &&
                   ResolveFunction(library, "curl_easy_getinfo", f.easyGetinfo) &&
                   ResolveFunction(library, "curl_easy_pause", f.easyPause) &&
                   ResolveFunction(library, "curl_easy_cleanup", f.easyCleanup) &&
                   ResolveFunction(library, "curl_multi_init", f.multiInit) &&
                   ResolveFunction(library, "curl_multi_add_handle", f.multiAddHandle) &&
                   ResolveFunction(library, "curl_multi_remove_handle", f.multiRemoveHandle) &&
                   ResolveFunction(library, "curl_multi_perform", f.multiPerform) &&
                   ResolveFunction(library, "curl_multi_poll", f.multiPoll) &&
                   ResolveFunction(library, "curl_multi_wakeup", f.multiWakeup) &&
                   ResolveFunction(library, "curl_multi_info_read", f.multiInfoRead) &&
                   ResolveFunction(library, "curl_multi_cleanup", f.multiCleanup);
        });
}

// Loaded once, by whichever thread asks first; never unloaded, as handles
// and callbacks may outlive any one user.
const CurlFunctions& Curl() {
    static const CurlFunctions functions = LoadLibrary();
    return functions;
}

} // namespace

extern "C" {

CURLcode curl_global_init(long flags) {
    return Curl().globalInit ? Curl().globalInit(flags) : CURLE_FAILED_INIT;
}

CURL* curl_easy_init() {
    return Curl().easyInit ? Curl().easyInit() : nullptr;
}

// The argument's type follows from the option's number, as libcurl reads it.
CURLcode curl_easy_setopt(CURL* easy, CURLoption option, ...) {
    if (!Curl().easySetopt || !easy)
        return CURLE_BAD_FUNCTION_ARGUMENT;
    va_list args;
    va_start(args, option);
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT) {
        result = Curl().easySetopt(easy, option, va_arg(args, long));
    } else if (option < CURLOPTTYPE_FUNCTIONPOINT) {
        result = Curl().easySetopt(easy, option, va_arg(args, void*));
    } else if (option < CURLOPTTYPE_OFF_T) {
        using AnyFunction = void (*)();
        result = Curl().easySetopt(easy, option, va_arg(args, AnyFunction));
    } else if (option < CURLOPTTYPE_BLOB) {
        result = Curl().easySetopt(easy, option, va_arg(args, curl_off_t));
    } else {
        result = Curl().easySetopt(easy, option, va_arg(args, void*));
    }
    va_end(args);
    return result;
}

// Every CURLINFO takes one pointer to where the answer goes.
CURLcode curl_easy_getinfo(CURL* easy, CURLINFO info, ...) {
    if (!Curl().easyGetinfo || !easy)
        return CURLE_BAD_FUNCTION_ARGUMENT;
    va_list args;
    va_start(args, info);
    void* answer = va_arg(args, void*);
    va_end(args);
    return Curl().easyGetinfo(easy, info, answer);
}

CURLcode curl_easy_pause(CURL* easy, int bitmask) {
    return Curl().easyPause ? Curl().easyPause(easy, bitmask) : CURLE_BAD_FUNCTION_ARGUMENT;
}

void curl_easy_cleanup(CURL* easy) {
    if (Curl().easyCleanup)
        Curl().easyCleanup(easy);
}

CURLM* curl_multi_init() {
    return Curl().multiInit ? Curl().multiInit() : nullptr;
}

CURLMcode curl_multi_add_handle(CURLM* multi, CURL* easy) {
    return Curl().multiAddHandle ? Curl().multiAddHandle(multi, easy) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* easy) {
    return Curl().multiRemoveHandle ? Curl().multiRemoveHandle(multi, easy) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_perform(CURLM* multi, int* running) {
    return Curl().multiPerform ? Curl().multiPerform(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd extra[], unsigned int extraCount, int timeoutMs,
                          int* ready) {
    return Curl().multiPoll ? Curl().multiPoll(multi, extra, extraCount, timeoutMs, ready)
                            : CURLM_BAD_HANDLE;
}

CURLMcode curl_multi_wakeup(CURLM* multi) {
    return Curl().multiWakeup ? Curl().multiWakeup(multi) : CURLM_BAD_HANDLE;
}

CURLMsg* curl_multi_info_read(CURLM* multi, int* queued) {
    if (!Curl().multiInfoRead) {
        *queued = 0;
        return nullptr;
    }
    return Curl().multiInfoRead(multi, queued);
}

CURLMcode curl_multi_cleanup(CURLM* multi) {
    return Curl().multiCleanup ? Curl().multiCleanup(multi) : CURLM_BAD_HANDLE;
}

} // extern "C"
