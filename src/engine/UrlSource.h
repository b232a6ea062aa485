#pragma once

#include "engine/ByteSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef void CURLM; // as libcurl declares it

namespace zeb {

struct UrlSourceOptions {
    // Connecting and waiting for the answer to a request (open and every
    // new transfer made for a seek).
    std::chrono::milliseconds openTimeout{15000};
    // A read that sees no data at all for this long fails.
    std::chrono::milliseconds stallTimeout{30000};
};

class UrlTransfer;

// An http:// or ftp:// address read through libcurl. The transfer is driven
// on the reading thread; Abort from any other thread ends a blocked call.
//
// Repositioning:
// - The first bytes read since the open (up to kReplayCap) are kept, so a
//   move back into them (the player's probe followed by a rewind to 0) is
//   served without a new transfer, for every scheme.
// - A forward move of at most kDiscardLimit bytes, or any forward move on a
//   source that cannot take ranges (ftp://, or an HTTP server that ignored
//   one), reads and discards the bytes in between.
// - Any other move on http:// is a new transfer from the offset. The server
//   must answer 206 with the asked start; when it answers 200 instead it is
//   never asked for a range again: a forward move then discards, a move back
//   to at most kDiscardLimit discards from the new transfer's start, and any
//   other move is refused with the position unchanged.
// - When an HTTP transfer breaks off before its end, it is continued by a
//   new transfer from the current offset (once per position reached).
class UrlSource : public ByteSource {
public:
    static constexpr size_t kPauseThreshold = 256 * 1024;
    static constexpr size_t kReplayCap = 2 * 1024 * 1024;
    static constexpr uint64_t kDiscardLimit = 64 * 1024;

    // Create and Connect: nothing when the address cannot be opened.
    static std::unique_ptr<UrlSource> Open(const std::string& url,
                                           const UrlSourceOptions& options = {});
    // A source that has not connected yet; nothing when curl cannot be set up.
    static std::unique_ptr<UrlSource> Create(const std::string& url,
                                             const UrlSourceOptions& options = {});
    // False when the address cannot be reached, the server refuses it (HTTP
    // status 400 and above, FTP errors), no answer came in time, or Abort
    // was called.
    bool Connect() override;
    ~UrlSource() override;
    UrlSource(const UrlSource&) = delete;
    UrlSource& operator=(const UrlSource&) = delete;

    ssize_t Read(void* buffer, size_t n) override;
    bool SeekTo(uint64_t offset) override;
    bool Skip(uint64_t n) override;
    // HTTP Content-Length of the opening answer; 0 when not given and for ftp://.
    uint64_t Size() const override { return size_; }
    // True for http:// until the server showed that it ignores ranges.
    bool Seekable() const override { return tryRanges_; }
    void Abort() override;

    // Bytes received and not read yet; kept near kPauseThreshold by
    // pausing the transfer.
    size_t BufferedBytes() const;

private:
    enum class Wait { Ready, TimedOut, Aborted };

    UrlSource(const std::string& url, const UrlSourceOptions& options);

    std::unique_ptr<UrlTransfer> StartTransfer(uint64_t offset);
    void Install(std::unique_ptr<UrlTransfer> transfer, uint64_t offset);
    template <typename Ready, typename Deadline>
    Wait WaitFor(UrlTransfer& transfer, Ready ready, Deadline deadline);
    void Perform();
    void CollectFinished();
    void ReadAhead();

    size_t TakeReplay(uint8_t* out, size_t n);
    size_t TakeLive(uint8_t* out, size_t n);
    ssize_t ReadLive(uint8_t* out, size_t n);
    bool ContinueBrokenTransfer();
    bool DiscardTo(uint64_t target);
    bool SeekByNewTransfer(uint64_t target);

    std::string url_;
    UrlSourceOptions options_;
    bool http_ = false;
    CURLM* multi_ = nullptr;
    std::unique_ptr<UrlTransfer> live_;
    uint64_t livePos_ = 0; // offset of the next byte live_ hands out
    uint64_t pos_ = 0;     // offset of the next byte Read returns; <= livePos_
    // While kept, holds exactly the bytes [0, livePos_); pos_ < livePos_ reads from it.
    std::vector<uint8_t> replay_;
    bool replayKept_ = true;
    uint64_t size_ = 0;
    bool tryRanges_ = false;
    uint64_t lastContinueAt_ = UINT64_MAX;
    std::chrono::steady_clock::time_point lastPerform_;
    std::atomic<bool> aborted_{false};
};

} // namespace zeb
