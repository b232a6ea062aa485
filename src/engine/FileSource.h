#pragma once

#include "engine/ByteSource.h"

#include <atomic>
#include <memory>
#include <string>

namespace zeb {

// A local file, read with plain system calls.
class FileSource : public ByteSource {
public:
    // Nothing when the file cannot be opened for reading or is not a
    // regular file (a folder, a FIFO, a device).
    static std::unique_ptr<FileSource> Open(const std::string& path);
    ~FileSource() override;

    ssize_t Read(void* buffer, size_t n) override;
    bool SeekTo(uint64_t offset) override;
    bool Skip(uint64_t n) override;
    uint64_t Size() const override { return size_; }
    bool Seekable() const override { return true; }
    void Abort() override { aborted_ = true; }

private:
    FileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    uint64_t size_;
    std::atomic<bool> aborted_{false};
};

} // namespace zeb
