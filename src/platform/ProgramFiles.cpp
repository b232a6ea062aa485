#include "platform/ProgramFiles.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

std::string BaseName(std::string_view path) {
    size_t slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string_view::npos)
        return "./";
    return std::string(path.substr(0, slash + 1));
}

} // namespace

std::string WithExtension(std::string_view programPath, std::string_view ext) {
    size_t slash = programPath.find_last_of('/');
    size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    size_t dot = programPath.find_last_of('.');
    if (dot == std::string_view::npos || dot < nameStart || dot == nameStart)
        return std::string(programPath) + "." + std::string(ext);
    return std::string(programPath.substr(0, dot + 1)) + std::string(ext);
}

bool IsFolderWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/zeb/";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/zeb/";
}

ProgramFiles LocateProgramFiles(std::string_view programPath, const FolderWritableFn& writable,
                                const std::string& fallbackFolder) {
    ProgramFiles files;
    std::string name = BaseName(programPath);
    std::string folder = FolderOf(programPath);
    if (!writable(folder))
        folder = fallbackFolder;
    files.folder = folder;
    std::string base = folder + name;
    files.iniPath = WithExtension(base, "ini");
    files.userListPath = WithExtension(base, "m3u");
    files.infoCachePath = WithExtension(base, "tgs");
    return files;
}

bool EnsureFolder(const std::string& folder) {
    std::string path;
    for (size_t i = 0; i <= folder.size(); ++i) {
        if (i == folder.size() || (folder[i] == '/' && i > 0)) {
            path = folder.substr(0, i);
            if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string OwnProgramPath() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
}

} // namespace zeb
