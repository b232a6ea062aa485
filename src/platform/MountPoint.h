#pragma once

#include <string>

namespace zeb {

// True for a folder where a file system is mounted, "/" included: what a
// drive root is on systems with drive letters.
bool IsMountPoint(const std::string& path);

// The kind of file system that holds a path: the kernel's own views (proc,
// sysfs, cgroups, debugfs ...), which hold no files a user plays; a network
// file system, slow to walk; or any other. Local when it cannot be told.
enum class FileSystemKind { Local, Network, Pseudo };
FileSystemKind FileSystemKindAt(const std::string& path);

} // namespace zeb
