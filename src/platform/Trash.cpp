#include "platform/Trash.h"

#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

std::string AbsolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[4096];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + path : path;
}

bool MakeFolders(const std::string& path, mode_t mode) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), 0700))
        return false;
    return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

dev_t DeviceOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// The folder where the file system holding `folder` is mounted.
std::string TopFolder(const std::string& folder) {
    const dev_t device = DeviceOf(folder);
    std::string top = folder;
    while (top != "/") {
        std::string parent = FolderOf(top);
        if (DeviceOf(parent) != device)
            break;
        top = parent;
    }
    return top;
}

// Path= text: bytes outside the unreserved URI set are %-escaped ('/' kept).
std::string EscapePath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            std::string_view("/-_.~").find(char(c)) != std::string_view::npos) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string LocalTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

// An administrator's $topdir/.Trash: a real folder with the sticky bit.
bool SharedTrashUsable(const std::string& shared) {
    struct stat st {};
    return ::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX);
}

// Reserves a name in the trash by creating its info file, then moves the
// file in under that name.
bool MoveInto(const std::string& trash, const std::string& path, const std::string& recorded) {
    if (!MakeFolders(trash + "/files", 0700) || !MakeFolders(trash + "/info", 0700))
        return false;
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    const std::string info =
        "[Trash Info]\nPath=" + EscapePath(recorded) + "\nDeletionDate=" + LocalTimeNow() + "\n";
    for (int n = 1; n < 10000; ++n) {
        const std::string entry = n == 1 ? name : stem + "." + std::to_string(n) + extension;
        const std::string infoPath = trash + "/info/" + entry + ".trashinfo";
        int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        bool written = WriteAllTo(fd, info) && ::fsync(fd) == 0;
        written = ::close(fd) == 0 && written;
        const std::string target = trash + "/files/" + entry;
        struct stat st {};
        if (written && ::lstat(target.c_str(), &st) != 0 &&
            ::rename(path.c_str(), target.c_str()) == 0)
            return true;
        ::unlink(infoPath.c_str());
        if (!written || errno != EEXIST)
            return false;
    }
    return false;
}

bool MoveToTopTrash(const std::string& path, const std::string& top) {
    const std::string uid = std::to_string(::getuid());
    const std::string relative = path.substr(top == "/" ? 1 : top.size() + 1);
    const std::string base = top == "/" ? std::string() : top;
    const std::string shared = base + "/.Trash";
    if (SharedTrashUsable(shared) && MoveInto(shared + "/" + uid, path, relative))
        return true;
    const std::string own = base + "/.Trash-" + uid;
    if (!MakeFolders(own, 0700))
        return false;
    // Another user's folder or a link planted under this name is no trash.
    struct stat st {};
    if (::lstat(own.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    return MoveInto(own, path, relative);
}

} // namespace

std::string HomeTrashFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Trash";
}

bool MoveToTrash(const std::string& given) {
    const std::string path = AbsolutePath(given);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    const std::string home = HomeTrashFolder();
    // The home trash, made when missing, when it shares the file's file system.
    std::string homeBase = home;
    while (!homeBase.empty() && DeviceOf(homeBase) == dev_t(-1))
        homeBase = FolderOf(homeBase);
    if (!homeBase.empty() && DeviceOf(homeBase) == st.st_dev)
        return MoveInto(home, path, path);
    return MoveToTopTrash(path, TopFolder(FolderOf(path)));
}

} // namespace zeb
