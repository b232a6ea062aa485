#include "engine/FileSource.h"

#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

// Opening a FIFO or a device for reading can block for good (a FIFO waits
// for a writer): the file is opened without waiting and taken only when it
// is a regular file.
std::unique_ptr<FileSource> FileSource::Open(const std::string& path) {
    struct stat st {};
    const int fd = OpenRegularFile(path, O_RDONLY, 0, &st);
    if (fd < 0)
        return nullptr;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    return std::unique_ptr<FileSource>(new FileSource(fd, static_cast<uint64_t>(st.st_size)));
}

FileSource::~FileSource() {
    ::close(fd_);
}

ssize_t FileSource::Read(void* buffer, size_t n) {
    size_t done = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (done < n) {
        if (aborted_)
            return -1;
        ssize_t got = ::read(fd_, out + done, n - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool FileSource::SeekTo(uint64_t offset) {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool FileSource::Skip(uint64_t n) {
    return ::lseek(fd_, static_cast<off_t>(n), SEEK_CUR) >= 0;
}

} // namespace zeb
