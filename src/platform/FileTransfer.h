#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace zeb {

// Copying and moving single files so that a failure or a cancel part way
// never loses one: a copy is written to a hidden temporary file in the
// target folder, flushed to the disk, and only then given its name; a move
// to another file system removes the source only after that.

// Told the bytes copied so far; may be called often.
using CopyProgress = std::function<void(uint64_t done, uint64_t total)>;

// Copies `source` to `dest`, keeping its permission bits and times. Fails,
// leaving no trace at the target, when dest exists, the source cannot be
// read, the target cannot take the data, or `cancel` was set meanwhile.
bool CopyFileSafely(const std::string& source, const std::string& dest,
                    const std::atomic<bool>* cancel = nullptr, const CopyProgress& progress = {});

// Moves `source` to `dest`: a rename inside one file system, else a safe
// copy followed by removing the source. Fails when dest exists; after a
// failure the file is whole at its old place and nothing is at dest.
bool MoveFileSafely(const std::string& source, const std::string& dest,
                    const std::atomic<bool>* cancel = nullptr, const CopyProgress& progress = {});

// Removes the file whatever its permission bits (the folder must allow it).
bool DeleteFileForce(const std::string& path);

} // namespace zeb
