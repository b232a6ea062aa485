#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace zeb {

// The local files and folders among dropped addresses, in order, as paths
// in the file system's encoding.
std::vector<std::string> LocalDroppedPaths(const QMimeData* data);

} // namespace zeb
