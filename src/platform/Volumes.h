#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// At most this many volumes are offered (one per command id of the
// scan-drive popup).
inline constexpr std::size_t kMaxVolumes = 26;

// The mount points of real file systems in a mount table in the format of
// /proc/self/mounts: disk, optical, network and user (FUSE) file systems;
// pseudo and system file systems (proc, sysfs, tmpfs, cgroup, overlay,
// squashfs, autofs, desktop FUSE helpers ...) are left out, and so are
// /boot and what lies under it. "/" always comes first, whatever its type
// (a container's root is an overlay); the others follow in mount order
// without duplicates, octal escapes ("\040") decoded, at most kMaxVolumes.
// `accept`, when given, must also approve a mount point other than "/".
std::vector<std::string> ParseVolumes(std::string_view mountTable,
                                      const std::function<bool(const std::string&)>& accept = {});

// True when a file system of this type holds files a user may play.
bool IsRealFileSystem(std::string_view type);

// The volumes of this machine from /proc/self/mounts; mount points that are
// not folders (files bound into a container) are dropped. Just "/" when the
// table cannot be read.
std::vector<std::string> ListVolumes();

} // namespace zeb
