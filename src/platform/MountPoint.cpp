#include "platform/MountPoint.h"

#include <sys/stat.h>

namespace zeb {

// The folder's parent lies on another device, or the folder is its own parent.
bool IsMountPoint(const std::string& path) {
    struct stat self {};
    struct stat parent {};
    if (path.empty() || ::stat(path.c_str(), &self) != 0 || !S_ISDIR(self.st_mode))
        return false;
    std::string up = path;
    while (up.size() > 1 && up.back() == '/')
        up.pop_back();
    up += "/..";
    if (::stat(up.c_str(), &parent) != 0)
        return false;
    return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino;
}

} // namespace zeb
