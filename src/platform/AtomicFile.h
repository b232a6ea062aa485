#pragma once

#include <string>
#include <string_view>

namespace zeb {

// Replaces the file with data through a temporary file in the same folder
// renamed over it, so the old content stays whole until the new one is
// complete and a crash never leaves half a file. A symbolic link is followed
// and kept; an existing file keeps its permissions. Fails, leaving
// everything as it was, when the folder cannot take the new file or the
// existing file is read-only (no write permission bit, or not writable by
// this user).
bool WriteFileAtomically(const std::string& path, std::string_view data);

} // namespace zeb
