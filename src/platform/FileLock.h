#pragma once

#include <string>

namespace zeb {

// Serialises the read-modify-replace of a shared file across processes: an
// exclusive flock on "<file>.lock" beside it, held while the object lives.
// The lock file itself is never replaced, so every process locks the same
// inode however often the file is renamed over. When the lock file cannot
// be opened (a read-only folder) or the lock is not granted within a few
// seconds (a hung holder), the caller goes on unlocked rather than hang.
class FileLock {
public:
    explicit FileLock(const std::string& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace zeb
