#include "platform/RuntimeFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

RuntimeFolder Refused(const std::string& folder, const std::string& why) {
    return RuntimeFolder{{}, folder + ": " + why};
}

} // namespace

std::string RuntimeFolderPath() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && *xdg == '/')
        return WithTrailingSlash(xdg) + "zeb/";
    return "/tmp/zeb-" + std::to_string(::geteuid()) + "/";
}

RuntimeFolder PrepareRuntimeFolder(const std::string& folder) {
    std::string path = WithTrailingSlash(folder);
    std::string bare = path.size() > 1 ? path.substr(0, path.size() - 1) : path;
    if (::mkdir(bare.c_str(), 0700) != 0 && errno != EEXIST)
        return Refused(bare, std::strerror(errno));

    struct stat st {};
    if (::lstat(bare.c_str(), &st) != 0)
        return Refused(bare, std::strerror(errno));
    if (!S_ISDIR(st.st_mode))
        return Refused(bare, "not a folder");
    if (st.st_uid != ::geteuid())
        return Refused(bare, "owned by another user");
    if ((st.st_mode & 077) != 0 && ::chmod(bare.c_str(), 0700) != 0)
        return Refused(bare, std::string("cannot make it private: ") + std::strerror(errno));
    return RuntimeFolder{path, {}};
}

} // namespace zeb
