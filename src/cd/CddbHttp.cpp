#include "cd/CddbHttp.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace zeb {

namespace {

// The stream input's user agent: both talk to the net as the same program.
constexpr const char* kUserAgent = "zeb/0.1";
// Replies are a few kilobytes; anything far larger is not a CDDB server.
constexpr size_t kMaxBody = 1024 * 1024;
// Longest wait in curl before the stop flag is looked at again.
constexpr int kPollSliceMs = 100;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    size_t bytes = size * count;
    if (body->size() + bytes > kMaxBody)
        return 0; // makes curl fail the transfer
    body->append(data, bytes);
    return bytes;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

void Configure(CURL* easy, const std::string& url, const CddbHttpLimits& limits,
               std::string& body) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
#if LIBCURL_VERSION_NUM >= 0x075700
    // Never wait for a name look-up thread when a stopped request is dropped.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
#endif
}

bool TransferSucceeded(CURLM* multi) {
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE)
            return message->data.result == CURLE_OK;
    }
    return false;
}

} // namespace

std::optional<std::string> FetchCddbText(const std::string& url, const CddbHttpLimits& limits,
                                         const std::atomic<bool>& stop) {
    InitCurlOnce();
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi)
        return std::nullopt;
    std::string body;
    Configure(easy.get(), url, limits, body);
    if (curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK)
        return std::nullopt;
    int running = 1;
    while (running > 0 && !stop) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running > 0)
            curl_multi_poll(multi.get(), nullptr, 0, kPollSliceMs, nullptr);
    }
    bool ok = running == 0 && !stop && TransferSucceeded(multi.get());
    curl_multi_remove_handle(multi.get(), easy.get());
    if (!ok)
        return std::nullopt;
    return body;
}

} // namespace zeb
