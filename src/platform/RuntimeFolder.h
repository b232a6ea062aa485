#pragma once

#include <string>

namespace zeb {

// The private per-user folder that holds the instance lock and the message
// endpoints: "$XDG_RUNTIME_DIR/zeb/", or "/tmp/zeb-<uid>/" when that variable
// is unset or not an absolute path. Always ends with '/'.
std::string RuntimeFolderPath();

struct RuntimeFolder {
    std::string path;  // with a trailing '/'; empty on failure
    std::string error; // why the folder cannot be used; empty on success
    bool Ok() const { return error.empty(); }
};

// Creates the folder with mode 0700 (its parent must exist) or checks the one
// that is there. A folder of ours that others can reach is narrowed to 0700.
// Refused: something that is not a folder (a symbolic link included, so a
// planted link in /tmp cannot redirect us) and a folder another user owns.
RuntimeFolder PrepareRuntimeFolder(const std::string& folder = RuntimeFolderPath());

} // namespace zeb
