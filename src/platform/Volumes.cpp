// The machine's volumes, which stand in for drive letters.
#include "platform/Volumes.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

namespace zeb {

namespace {

// Decodes the "\ooo" escapes the kernel writes for blanks, tabs, newlines
// and backslashes in mount table fields.
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const auto octal = [](char c) { return c >= '0' && c <= '7'; };
            if (octal(field[i + 1]) && octal(field[i + 2]) && octal(field[i + 3])) {
                const int value =
                    (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
                if (value < 256) {
                    out.push_back(char(value));
                    i += 3;
                    continue;
                }
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

// Splits a line at blanks into at most `count` fields.
std::vector<std::string_view> Fields(std::string_view line, size_t count) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (fields.size() < count) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            break;
        size_t end = line.find_first_of(" \t", at);
        if (end == std::string_view::npos)
            end = line.size();
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

bool IsUnder(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
            path[folder.size()] == '/');
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool IsRealFileSystem(std::string_view type) {
    static constexpr std::array<std::string_view, 34> kReal = {
        "ext2",    "ext3",     "ext4",    "xfs",  "btrfs",   "bcachefs", "f2fs",
        "jfs",     "reiserfs", "nilfs2",  "zfs",  "vfat",    "msdos",    "exfat",
        "ntfs",    "ntfs3",    "fuseblk", "hfs",  "hfsplus", "apfs",     "ufs",
        "iso9660", "udf",      "nfs",     "nfs4", "cifs",    "smb3",     "smbfs",
        "9p",      "virtiofs", "ceph",    "fuse", "vboxsf",  "davfs",
    };
    if (std::find(kReal.begin(), kReal.end(), type) != kReal.end())
        return true;
    // User file systems ("fuse.sshfs", "fuse.rclone"), except the desktop's
    // own helpers, which show no user volume.
    static constexpr std::array<std::string_view, 5> kHelpers = {
        "fuse.portal", "fuse.gvfsd-fuse", "fuse.gvfs-fuse-daemon", "fuse.lxcfs", "fuse.snapfuse",
    };
    return type.substr(0, 5) == "fuse." &&
           std::find(kHelpers.begin(), kHelpers.end(), type) == kHelpers.end();
}

std::vector<std::string> ParseVolumes(std::string_view mountTable,
                                      const std::function<bool(const std::string&)>& accept) {
    std::vector<std::string> volumes{"/"};
    size_t start = 0;
    while (start < mountTable.size() && volumes.size() < kMaxVolumes) {
        size_t end = mountTable.find('\n', start);
        if (end == std::string_view::npos)
            end = mountTable.size();
        const std::string_view line = mountTable.substr(start, end - start);
        start = end + 1;
        const auto fields = Fields(line, 3);
        if (fields.size() < 3)
            continue;
        std::string mountPoint = Unescape(fields[1]);
        if (mountPoint.empty() || mountPoint.front() != '/' || IsUnder(mountPoint, "/boot"))
            continue;
        if (!IsRealFileSystem(Unescape(fields[2])))
            continue;
        if (std::find(volumes.begin(), volumes.end(), mountPoint) == volumes.end() &&
            (!accept || accept(mountPoint)))
            volumes.push_back(std::move(mountPoint));
    }
    return volumes;
}

std::vector<std::string> ListVolumes() {
    std::ifstream in("/proc/self/mounts", std::ios::binary);
    if (!in)
        return {"/"};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseVolumes(text.str(), IsFolder);
}

} // namespace zeb
