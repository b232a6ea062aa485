#include "platform/MountPoint.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace zeb {

namespace {

// Magic numbers of statfs(2) (linux/magic.h).
constexpr std::array<uint32_t, 20> kPseudoFileSystems = {
    0x00009fa0, // proc
    0x62656572, // sysfs
    0x00001cd1, // devpts
    0x0027e0eb, // cgroup
    0x63677270, // cgroup2
    0x64626720, // debugfs
    0x74726163, // tracefs
    0x73636673, // securityfs
    0xcafe4a11, // bpf
    0x6165676c, // pstore
    0x62656570, // configfs
    0x65735543, // fusectl
    0x19800202, // mqueue
    0x958458f6, // hugetlbfs
    0x42494e4d, // binfmt_misc
    0xde5e81e4, // efivarfs
    0xf97cff8c, // selinuxfs
    0x00000187, // autofs
    0x6e736673, // nsfs
    0x50495045, // pipefs
};

constexpr std::array<uint32_t, 10> kNetworkFileSystems = {
    0x00006969, // nfs
    0x0000517b, // smb
    0xff534d42, // cifs
    0xfe534d42, // smb2
    0x73757245, // coda
    0x5346414f, // afs
    0x0000564c, // ncp
    0x00c36400, // ceph
    0x01021997, // 9p
    0x0bd00bd0, // lustre
};

bool Holds(const auto& table, uint32_t type) {
    return std::find(table.begin(), table.end(), type) != table.end();
}

} // namespace

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

FileSystemKind FileSystemKindAt(const std::string& path) {
    struct statfs info {};
    if (::statfs(path.c_str(), &info) != 0)
        return FileSystemKind::Local;
    const auto type = static_cast<uint32_t>(info.f_type);
    if (Holds(kPseudoFileSystems, type))
        return FileSystemKind::Pseudo;
    if (Holds(kNetworkFileSystems, type))
        return FileSystemKind::Network;
    return FileSystemKind::Local;
}

} // namespace zeb
