#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace zeb {

InstanceLock::InstanceLock(std::string path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::TryAcquire() {
    if (fd_ >= 0)
        return true;
    // Close-on-exec: a program we start must not keep the lock after we end.
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0)
        return;
    // The file stays: removing it would let a third process lock a new file
    // while a second one still waits on the old one.
    ::close(fd_);
    fd_ = -1;
}

} // namespace zeb
