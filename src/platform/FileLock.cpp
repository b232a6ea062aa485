#include "platform/FileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace zeb {

namespace {

constexpr auto kLockPatience = std::chrono::seconds(10);
constexpr auto kRetryStep = std::chrono::milliseconds(5);

} // namespace

FileLock::FileLock(const std::string& file) {
    // Read access suffices for flock, so a lock file made by another user of
    // a shared folder serves every user who can read it. A link planted in
    // its place is not followed (it could make us create a file elsewhere).
    fd_ = ::open((file + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW,
                 0666);
    if (fd_ < 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(kRetryStep);
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor releases the lock
}

} // namespace zeb
