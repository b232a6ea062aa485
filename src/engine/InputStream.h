#pragma once

#include "engine/ByteSource.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace zeb {

// True for names that begin with "http://" or "ftp://" (scheme letters in
// any case, "://" exactly); every other name is a local path.
bool IsUrlName(std::string_view name);

// The one byte stream the engine reads MPEG audio from: a local file or an
// http:// or ftp:// address. Offers the byte-level reads the frame reader
// needs; a read of a stream that is not open reports the end of the data.
class CInputStream {
public:
    CInputStream();
    ~CInputStream();
    CInputStream(const CInputStream&) = delete;
    CInputStream& operator=(const CInputStream&) = delete;

    // Opens the source; raises EngineError on failure and stays closed.
    // An Abort from another thread ends a connect that waits for a server.
    void Open(const std::string& name);
    // Opens a source made elsewhere like Open; `name` tells whether it
    // counts as an address.
    void OpenSource(std::shared_ptr<ByteSource> source, const std::string& name);
    // Closes the source; harmless when nothing is open. Safe to call from
    // another thread while a read blocks: the read then fails at once.
    // Clears an Abort.
    void Close();
    // Ends a blocked read or open from another thread without closing; an
    // open that starts later fails at once, until Close.
    void Abort();

    // Exactly four bytes as a big-endian number; false at the end or on failure.
    bool ReadWord(uint32_t& word);
    // One byte: 1 read, 0 at the end of the data; raises EngineError when
    // the read failed.
    int ReadByte(uint8_t& byte);
    // n bytes of a frame body. False when nothing came at all; a short or
    // failed read fills the missing tail with zero bytes and gives true.
    bool ReadBody(uint8_t* buffer, size_t n);
    bool Skip(uint64_t n);
    bool SeekTo(uint64_t offset);

    bool IsOpen() const { return open_; }
    bool IsUrl() const { return isUrl_; }
    uint64_t Size() const { return size_; }
    bool Seekable() const { return seekable_; }
    // The offset of the next byte to be read, from the start of the source.
    uint64_t Offset() const { return offset_; }

private:
    ssize_t ReadSome(void* buffer, size_t n);
    // Makes source the one Abort reaches; false when an Abort came first.
    bool Publish(const std::shared_ptr<ByteSource>& source);
    void Release();
    // The source in use, kept alive for the call even if Close runs meanwhile.
    std::shared_ptr<ByteSource> CurrentSource();

    std::mutex sourceMutex_; // guards replacing the source against Abort/Close
    std::shared_ptr<ByteSource> source_;
    bool aborted_ = false; // guarded by sourceMutex_
    bool open_ = false;
    bool isUrl_ = false;
    bool seekable_ = false;
    uint64_t size_ = 0;
    uint64_t offset_ = 0;
};

// An http:// or ftp:// address, not yet connected (ByteSource::Connect);
// nothing when no transfer can be set up at all.
std::unique_ptr<ByteSource> MakeUrlSource(const std::string& url);

} // namespace zeb
