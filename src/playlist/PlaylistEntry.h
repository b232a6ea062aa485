#pragma once

#include <functional>
#include <string>

namespace zeb {

// One playlist entry as the playlist files carry it: a file path or an
// address, and its info line (empty while not yet known).
struct PlaylistEntry {
    std::string path;
    std::string info;

    bool operator==(const PlaylistEntry&) const = default;
};

// Told of every info line a file brings along ("#TAG=" lines), so the caller
// can keep it in the info cache: (entry path, info line).
using InfoFoundFn = std::function<void(const std::string& path, const std::string& info)>;

// Builds the info line of a path when a file must carry one that is not yet known.
using InfoBuildFn = std::function<std::string(const std::string& path)>;

} // namespace zeb
