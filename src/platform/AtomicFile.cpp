#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

// The file a write must replace: the target of a symbolic link, so the link
// itself survives.
std::string ResolvedTarget(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

// Also true for anything but a regular file: a named pipe or a device in the
// file's place is not ours to replace.
bool IsReadOnly(const std::string& target, const struct stat& st) {
    return !S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

// The process id of a temporary name "<prefix><pid>-<n>"; 0 when the name is
// not one.
pid_t TemporaryOwner(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    const size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size())
        return 0;
    const auto digits = [](std::string_view s) {
        return s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(name.substr(0, dash)) || !digits(name.substr(dash + 1)) || dash > 9)
        return 0;
    return static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
}

bool ProcessIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

void RemoveStaleTemporaries(const std::string& path) {
    const std::string target = ResolvedTarget(path);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    const std::string visiblePrefix = base + ".tmp-";
    const std::string hiddenPrefix = "." + base + ".new-";
    while (const dirent* item = ::readdir(dir.get())) {
        const std::string_view name = item->d_name;
        pid_t owner = TemporaryOwner(name, visiblePrefix);
        if (owner == 0)
            owner = TemporaryOwner(name, hiddenPrefix);
        if (owner > 0 && ProcessIsGone(owner))
            ::unlinkat(::dirfd(dir.get()), item->d_name, 0);
    }
}

bool WriteAllTo(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::optional<std::pair<int, std::string>> CreateFileBeside(const std::string& target,
                                                            bool hidden) {
    static std::atomic<unsigned> counter{0};
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string unique =
            std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
        std::string name =
            hidden ? folder + "." + base + ".new-" + unique : target + ".tmp-" + unique;
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_pair(fd, name);
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    const std::string target = ResolvedTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && IsReadOnly(target, st))
        return false;
    auto temporary = CreateFileBeside(target);
    if (!temporary)
        return false;
    auto [fd, name] = *temporary;
    bool ok = (!exists || ::fchmod(fd, st.st_mode & 07777) == 0) && WriteAllTo(fd, data) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(name.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(name.c_str());
    return false;
}

} // namespace zeb
