#pragma once

#include <string>

namespace zeb {

// True for a folder where a file system is mounted, "/" included: what a
// drive root is on systems with drive letters.
bool IsMountPoint(const std::string& path);

} // namespace zeb
