#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace zeb {

int OpenRegularFile(const std::string& path, int flags, mode_t mode, struct stat* st) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    if (fd < 0)
        return -1;
    struct stat own {};
    struct stat& status = st ? *st : own;
    const bool known = ::fstat(fd, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        const int error = known ? EINVAL : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int current = ::fcntl(fd, F_GETFL);
    if (current < 0 || ::fcntl(fd, F_SETFL, current & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace zeb
