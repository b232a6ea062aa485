#include "platform/FileTransfer.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zeb {

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& path) {
    int fd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Some file systems refuse fsync on folders; the data itself is synced.
    bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

bool LinksUnsupported(int error) {
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EMLINK;
}

// Renames `from` to `to` unless that name exists. File systems without the
// no-replace flag get a hard link, which fails on an existing name; those
// without hard links either (FAT on USB sticks) a look before the rename.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (!LinksUnsupported(errno))
        return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyData(int in, int out, uint64_t total, const std::atomic<bool>* cancel,
              const CopyProgress& progress) {
    std::vector<char> buffer(1 << 20);
    uint64_t done = 0;
    for (;;) {
        if (cancel && cancel->load())
            return false;
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!WriteAllTo(out, std::string_view(buffer.data(), size_t(n))))
            return false;
        done += uint64_t(n);
        if (progress)
            progress(done, total);
    }
}

} // namespace

bool CopyFileSafely(const std::string& source, const std::string& dest,
                    const std::atomic<bool>* cancel, const CopyProgress& progress) {
    struct stat st {};
    if (::lstat(dest.c_str(), &st) == 0)
        return false;
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    auto temporary = CreateFileBeside(dest, true);
    if (!temporary) {
        ::close(in);
        return false;
    }
    auto [out, name] = *temporary;
    bool ok = CopyData(in, out, uint64_t(st.st_size), cancel, progress) &&
              ::fchmod(out, st.st_mode & 07777) == 0;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::futimens(out, times) == 0 && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    ok = ok && !(cancel && cancel->load()) && RenameNoReplace(name, dest) && SyncFolder(dest);
    if (!ok) {
        ::unlink(name.c_str());
        return false;
    }
    return true;
}

bool MoveFileSafely(const std::string& source, const std::string& dest,
                    const std::atomic<bool>* cancel, const CopyProgress& progress) {
    if (RenameNoReplace(source, dest))
        return true;
    if (errno != EXDEV)
        return false;
    if (!CopyFileSafely(source, dest, cancel, progress))
        return false;
    if (::unlink(source.c_str()) == 0)
        return true;
    // The source cannot go: the copy goes instead, so the file has one place.
    ::unlink(dest.c_str());
    return false;
}

bool DeleteFileForce(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
    return ::unlink(path.c_str()) == 0;
}

} // namespace zeb
