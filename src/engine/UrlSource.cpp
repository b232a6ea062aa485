#include "engine/UrlSource.h"

#include "engine/InputStream.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

namespace zeb {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUserAgent = "zeb/0.1";
constexpr long kMaxRedirects = 5;
// Longest single sleep in curl_multi_poll; Abort wakes it at once anyway.
constexpr auto kPollSlice = std::chrono::milliseconds(200);
// How often a read that found its bytes buffered still lets curl receive.
constexpr auto kReadAheadInterval = std::chrono::milliseconds(10);
constexpr size_t kDiscardStep = 1024 * 1024;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

std::optional<uint64_t> ParseNumber(std::string_view text) {
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

// The first byte of a Content-Range value such as "bytes 100-199/1000".
std::optional<uint64_t> ParseRangeStart(std::string_view value) {
    if (!StartsWithNoCase(value, "bytes "))
        return std::nullopt;
    return ParseNumber(Trim(value.substr(6)));
}

// Errors after which an HTTP transfer may be continued from where it broke.
bool IsBrokenConnection(CURLcode result) {
    return result == CURLE_PARTIAL_FILE || result == CURLE_RECV_ERROR ||
           result == CURLE_SEND_ERROR || result == CURLE_GOT_NOTHING;
}

} // namespace

// One curl transfer of the address from a byte offset, with the bytes it
// delivered that were not taken yet. Pauses itself while it holds more than
// UrlSource::kPauseThreshold bytes.
class UrlTransfer {
public:
    UrlTransfer(CURLM* multi, const std::string& url, uint64_t start, bool http,
                const UrlSourceOptions& options);
    ~UrlTransfer();
    UrlTransfer(const UrlTransfer&) = delete;
    UrlTransfer& operator=(const UrlTransfer&) = delete;

    bool Added() const { return added_; }
    // The final answer's headers came, body bytes came, or the transfer ended.
    bool Answered() const { return headersDone_ || gotBody_ || done_; }
    bool Done() const { return done_; }
    bool Failed() const { return done_ && result_ != CURLE_OK; }
    CURLcode Result() const { return result_; }
    void Finish(CURLcode result);
    void Fail(CURLcode result);

    long Status() const { return status_; }
    std::optional<uint64_t> RangeStart() const { return rangeStart_; }
    bool RefusesRanges() const { return refusesRanges_; }
    // The answer's body begins at offset of the data.
    bool StartsAt(uint64_t offset) const;
    int64_t ContentLength() const;

    size_t Buffered() const { return buffer_.size() - head_; }
    std::span<const uint8_t> Pending() const { return {buffer_.data() + head_, Buffered()}; }
    void Consume(size_t n);
    void ResumeIfRoom();
    Clock::time_point LastData() const { return lastData_; }

private:
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    size_t Append(const char* data, size_t n);
    void HeaderLine(std::string_view line);
    void Configure(const std::string& url, uint64_t start, bool http,
                   const UrlSourceOptions& options);

    CURLM* multi_;
    CURL* easy_;
    bool added_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    bool paused_ = false;
    bool gotBody_ = false;
    bool headersDone_ = false;
    long status_ = 0;
    bool hasLocation_ = false;
    bool refusesRanges_ = false;
    std::optional<uint64_t> rangeStart_;
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;
    Clock::time_point lastData_ = Clock::now();
};

UrlTransfer::UrlTransfer(CURLM* multi, const std::string& url, uint64_t start, bool http,
                         const UrlSourceOptions& options)
    : multi_(multi), easy_(curl_easy_init()) {
    if (!easy_)
        return;
    Configure(url, start, http, options);
    added_ = curl_multi_add_handle(multi_, easy_) == CURLM_OK;
}

void UrlTransfer::Configure(const std::string& url, uint64_t start, bool http,
                            const UrlSourceOptions& options) {
    curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy_, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &UrlTransfer::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &UrlTransfer::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy_, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.openTimeout.count()));
    // Bounds curl's own blocking waits for FTP replies (the end-of-transfer reply).
    long replySeconds = static_cast<long>(options.openTimeout.count() / 1000) + 1;
    curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT, replySeconds);
#if LIBCURL_VERSION_NUM >= 0x075700
    // Never wait for a name look-up thread when the transfer is dropped.
    curl_easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L);
#endif
    if (!http) {
        // An FTP connection kept for reuse would be sent QUIT, and its reply
        // awaited, when the source is destroyed; close it with its transfer.
        curl_easy_setopt(easy_, CURLOPT_FORBID_REUSE, 1L);
    }
    if (start > 0) {
        std::string range = std::to_string(start) + "-";
        curl_easy_setopt(easy_, CURLOPT_RANGE, range.c_str()); // curl copies the text
    }
}

UrlTransfer::~UrlTransfer() {
    if (added_)
        curl_multi_remove_handle(multi_, easy_);
    if (easy_)
        curl_easy_cleanup(easy_);
}

void UrlTransfer::Finish(CURLcode result) {
    if (done_)
        return;
    done_ = true;
    result_ = result;
}

void UrlTransfer::Fail(CURLcode result) {
    Finish(result);
    if (added_) {
        curl_multi_remove_handle(multi_, easy_);
        added_ = false;
    }
}

bool UrlTransfer::StartsAt(uint64_t offset) const {
    if (offset == 0 && status_ == 200)
        return true;
    return status_ == 206 && rangeStart_ == offset;
}

int64_t UrlTransfer::ContentLength() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        return -1;
    return length;
}

void UrlTransfer::Consume(size_t n) {
    head_ += n;
    if (head_ == buffer_.size()) {
        buffer_.clear();
        head_ = 0;
    }
}

void UrlTransfer::ResumeIfRoom() {
    if (!paused_ || done_ || Buffered() >= UrlSource::kPauseThreshold / 2)
        return;
    paused_ = false;
    // May deliver the held-back bytes at once through OnBody.
    curl_easy_pause(easy_, CURLPAUSE_CONT);
}

size_t UrlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<UrlTransfer*>(self)->Append(data, size * count);
}

size_t UrlTransfer::Append(const char* data, size_t n) {
    if (Buffered() >= UrlSource::kPauseThreshold) {
        // curl keeps these bytes and hands them over again after the resume.
        paused_ = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    if (head_ > 0 && head_ * 2 >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<ptrdiff_t>(head_));
        head_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + n);
    gotBody_ = true;
    lastData_ = Clock::now();
    return n;
}

size_t UrlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    size_t n = size * count;
    static_cast<UrlTransfer*>(self)->HeaderLine(std::string_view(data, n));
    return n;
}

// Called for every header line of every answer (redirects included) and,
// for FTP, for the server's replies, which are ignored.
void UrlTransfer::HeaderLine(std::string_view line) {
    if (StartsWithNoCase(line, "HTTP/")) {
        size_t space = line.find(' ');
        status_ = 0;
        if (space != std::string_view::npos)
            status_ = static_cast<long>(ParseNumber(line.substr(space + 1)).value_or(0));
        hasLocation_ = false;
        refusesRanges_ = false;
        rangeStart_.reset();
        return;
    }
    if (status_ == 0)
        return;
    std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
        bool redirect = status_ >= 300 && status_ < 400 && hasLocation_;
        if (status_ >= 200 && !redirect)
            headersDone_ = true;
        return;
    }
    size_t colon = trimmed.find(':');
    if (colon == std::string_view::npos)
        return;
    std::string_view name = Trim(trimmed.substr(0, colon));
    std::string_view value = Trim(trimmed.substr(colon + 1));
    if (EqualsIgnoreCase(name, "Location"))
        hasLocation_ = true;
    else if (EqualsIgnoreCase(name, "Accept-Ranges"))
        refusesRanges_ = EqualsIgnoreCase(value, "none");
    else if (EqualsIgnoreCase(name, "Content-Range"))
        rangeStart_ = ParseRangeStart(value);
}

// ---------------------------------------------------------------------------

std::unique_ptr<ByteSource> MakeUrlSource(const std::string& url) {
    return UrlSource::Create(url);
}

UrlSource::UrlSource(const std::string& url, const UrlSourceOptions& options)
    : url_(url), options_(options), http_(StartsWithNoCase(url, "http://")),
      multi_(curl_multi_init()), lastPerform_(Clock::now()) {}

UrlSource::~UrlSource() {
    live_.reset();
    if (multi_)
        curl_multi_cleanup(multi_);
}

std::unique_ptr<UrlSource> UrlSource::Open(const std::string& url,
                                           const UrlSourceOptions& options) {
    std::unique_ptr<UrlSource> source = Create(url, options);
    if (!source || !source->Connect())
        return nullptr;
    return source;
}

std::unique_ptr<UrlSource> UrlSource::Create(const std::string& url,
                                             const UrlSourceOptions& options) {
    InitCurlOnce();
    std::unique_ptr<UrlSource> source(new UrlSource(url, options));
    if (!source->multi_)
        return nullptr;
    return source;
}

bool UrlSource::Connect() {
    if (live_)
        return true;
    std::unique_ptr<UrlTransfer> transfer = StartTransfer(0);
    if (!transfer)
        return false;
    if (http_) {
        int64_t length = transfer->ContentLength();
        size_ = length > 0 ? static_cast<uint64_t>(length) : 0;
        tryRanges_ = !transfer->RefusesRanges();
    }
    Install(std::move(transfer), 0);
    return true;
}

void UrlSource::Abort() {
    aborted_ = true;
    if (multi_)
        curl_multi_wakeup(multi_);
}

size_t UrlSource::BufferedBytes() const {
    return live_ ? live_->Buffered() : 0;
}

// Starts a transfer from offset and waits for the server's answer. Nothing
// when it failed, timed out, was aborted, or the HTTP status is not 2xx.
std::unique_ptr<UrlTransfer> UrlSource::StartTransfer(uint64_t offset) {
    auto transfer = std::make_unique<UrlTransfer>(multi_, url_, offset, http_, options_);
    if (!transfer->Added())
        return nullptr;
    Clock::time_point deadline = Clock::now() + options_.openTimeout;
    Wait wait = WaitFor(
        *transfer, [&] { return transfer->Answered(); }, [&] { return deadline; });
    if (wait != Wait::Ready || transfer->Failed())
        return nullptr;
    long status = transfer->Status();
    if (status != 0 && (status < 200 || status >= 300))
        return nullptr;
    return transfer;
}

void UrlSource::Install(std::unique_ptr<UrlTransfer> transfer, uint64_t offset) {
    live_ = std::move(transfer);
    livePos_ = offset;
    pos_ = offset;
    replay_.clear();
    replayKept_ = offset == 0;
    if (!replayKept_)
        replay_.shrink_to_fit();
}

template <typename Ready, typename Deadline>
UrlSource::Wait UrlSource::WaitFor(UrlTransfer& transfer, Ready ready, Deadline deadline) {
    for (;;) {
        if (aborted_)
            return Wait::Aborted;
        transfer.ResumeIfRoom();
        Perform();
        if (ready())
            return Wait::Ready;
        if (aborted_)
            return Wait::Aborted;
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline() - Clock::now());
        if (left.count() <= 0)
            return Wait::TimedOut;
        int sleep = static_cast<int>(std::min(left, kPollSlice).count());
        curl_multi_poll(multi_, nullptr, 0, std::max(sleep, 1), nullptr);
    }
}

void UrlSource::Perform() {
    int running = 0;
    curl_multi_perform(multi_, &running);
    CollectFinished();
    lastPerform_ = Clock::now();
}

void UrlSource::CollectFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        char* owner = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
        if (owner)
            reinterpret_cast<UrlTransfer*>(owner)->Finish(message->data.result);
    }
}

// Lets curl receive what has arrived while the reader lives on buffered bytes,
// so the transfer keeps flowing up to the pause threshold.
void UrlSource::ReadAhead() {
    if (!live_ || live_->Done() || Clock::now() - lastPerform_ < kReadAheadInterval)
        return;
    live_->ResumeIfRoom();
    Perform();
}

ssize_t UrlSource::Read(void* buffer, size_t n) {
    if (aborted_)
        return -1;
    if (n == 0)
        return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = TakeReplay(out, n);
    if (done < n) {
        ssize_t got = ReadLive(out + done, n - done);
        if (got < 0)
            return done > 0 && !aborted_ ? static_cast<ssize_t>(done) : -1;
        done += static_cast<size_t>(got);
    }
    if (aborted_)
        return -1;
    ReadAhead();
    return static_cast<ssize_t>(done);
}

size_t UrlSource::TakeReplay(uint8_t* out, size_t n) {
    if (!replayKept_ || pos_ >= livePos_)
        return 0;
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, livePos_ - pos_));
    std::memcpy(out, replay_.data() + pos_, k);
    pos_ += k;
    return k;
}

// Takes buffered bytes of the live transfer (out null: discards them) and
// keeps them for replay while they lie within the cap.
size_t UrlSource::TakeLive(uint8_t* out, size_t n) {
    std::span<const uint8_t> pending = live_->Pending();
    size_t k = std::min(n, pending.size());
    if (k == 0)
        return 0;
    if (out)
        std::memcpy(out, pending.data(), k);
    if (replayKept_) {
        if (livePos_ + k <= kReplayCap) {
            replay_.insert(replay_.end(), pending.begin(),
                           pending.begin() + static_cast<ptrdiff_t>(k));
        } else {
            replayKept_ = false;
            std::vector<uint8_t>().swap(replay_);
        }
    }
    live_->Consume(k);
    livePos_ += k;
    pos_ = livePos_;
    return k;
}

// Blocks until n bytes were taken from the live transfer, its data ended,
// or it failed. -1 when aborted, or failed before any byte.
ssize_t UrlSource::ReadLive(uint8_t* out, size_t n) {
    size_t done = 0;
    while (done < n) {
        if (aborted_)
            return -1;
        done += TakeLive(out ? out + done : nullptr, n - done);
        if (done == n)
            break;
        if (live_->Done()) {
            if (live_->Failed() && ContinueBrokenTransfer())
                continue;
            if (live_->Failed() && done == 0)
                return -1;
            break;
        }
        // The stall clock runs only while a read waits, not while nobody reads.
        Clock::time_point waitStart = Clock::now();
        Wait wait = WaitFor(
            *live_, [&] { return live_->Buffered() > 0 || live_->Done(); },
            [&] { return std::max(live_->LastData(), waitStart) + options_.stallTimeout; });
        if (wait == Wait::Aborted)
            return -1;
        if (wait == Wait::TimedOut)
            live_->Fail(CURLE_OPERATION_TIMEDOUT);
    }
    return static_cast<ssize_t>(done);
}

// An HTTP transfer that broke off is continued by a range transfer from the
// current offset, at most once for each offset reached.
bool UrlSource::ContinueBrokenTransfer() {
    if (!http_ || !tryRanges_ || aborted_ || !IsBrokenConnection(live_->Result()))
        return false;
    if ((size_ > 0 && livePos_ >= size_) || lastContinueAt_ == livePos_)
        return false;
    lastContinueAt_ = livePos_;
    std::unique_ptr<UrlTransfer> transfer = StartTransfer(livePos_);
    if (!transfer)
        return false;
    if (!transfer->StartsAt(livePos_)) {
        if (transfer->Status() == 200)
            tryRanges_ = false;
        return false;
    }
    live_ = std::move(transfer); // same bytes from livePos_ on: the replay stays valid
    return true;
}

bool UrlSource::SeekTo(uint64_t offset) {
    if (aborted_)
        return false;
    if (offset == pos_)
        return true;
    if (replayKept_ && offset <= livePos_) {
        pos_ = offset;
        return true;
    }
    if (size_ > 0 && offset > size_)
        return false;
    if (offset > livePos_) {
        uint64_t gap = offset - livePos_;
        if (!tryRanges_ || gap <= kDiscardLimit || gap <= live_->Buffered())
            return DiscardTo(offset);
        if (SeekByNewTransfer(offset))
            return true;
        // A server that ignored the range is still read forward.
        return !tryRanges_ && !aborted_ && DiscardTo(offset);
    }
    return tryRanges_ && SeekByNewTransfer(offset);
}

bool UrlSource::Skip(uint64_t n) {
    return SeekTo(pos_ + n);
}

// Reads and drops the live bytes up to target (> livePos_); false when the
// data ended or failed first.
bool UrlSource::DiscardTo(uint64_t target) {
    pos_ = livePos_;
    while (livePos_ < target) {
        size_t step = static_cast<size_t>(std::min<uint64_t>(target - livePos_, kDiscardStep));
        if (ReadLive(nullptr, step) <= 0)
            return false;
    }
    return true;
}

bool UrlSource::SeekByNewTransfer(uint64_t target) {
    std::unique_ptr<UrlTransfer> transfer = StartTransfer(target);
    if (!transfer)
        return false;
    if (transfer->StartsAt(target)) {
        Install(std::move(transfer), target);
        return true;
    }
    if (transfer->Status() != 200)
        return false;
    tryRanges_ = false;
    if (target > kDiscardLimit)
        return false;
    // The whole data again from its start: a short way to the target.
    Install(std::move(transfer), 0);
    return DiscardTo(target);
}

} // namespace zeb
