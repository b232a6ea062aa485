#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace zeb {

// Where the input stream's bytes come from: a local file or a network
// transfer. Reads block until the bytes come, the data ends, or Abort is
// called from another thread.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Makes the source ready to read; a network source connects here, where
    // Abort from another thread ends the wait. False when it cannot be opened.
    virtual bool Connect() { return true; }

    // Bytes delivered (fewer than n only at the end of the data), 0 at the
    // end, -1 when the read failed or the source was aborted.
    virtual ssize_t Read(void* buffer, size_t n) = 0;
    // Moves the read position; false when the source refuses.
    virtual bool SeekTo(uint64_t offset) = 0;
    virtual bool Skip(uint64_t n) = 0;
    // Total size in bytes, 0 when unknown.
    virtual uint64_t Size() const = 0;
    virtual bool Seekable() const = 0;
    // Ends every blocked and later read with a failure; safe from any thread.
    virtual void Abort() = 0;
};

} // namespace zeb
