#pragma once

#include <string>

namespace zeb {

// The per-user single-instance lock: an exclusive flock on a file in the
// runtime folder, held for the life of the object. The kernel drops it when
// the process ends in any way, so a crashed instance never blocks the next.
class InstanceLock {
public:
    explicit InstanceLock(std::string path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock (also when it already did);
    // false when another holder has it or the file cannot be opened.
    bool TryAcquire();
    void Release();
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};

} // namespace zeb
