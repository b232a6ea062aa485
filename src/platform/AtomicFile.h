#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zeb {

// Replaces the file with data through a temporary file in the same folder
// renamed over it, so the old content stays whole until the new one is
// complete and a crash never leaves half a file. A symbolic link is followed
// and kept; an existing file keeps its permissions. Fails, leaving
// everything as it was, when the folder cannot take the new file or the
// existing file is read-only (no write permission bit, or not writable by
// this user) or is no regular file.
bool WriteFileAtomically(const std::string& path, std::string_view data);

// Writes all of data to the descriptor, going on after interruptions.
bool WriteAllTo(int fd, std::string_view data);

// A new, empty file beside `target` for a replacement: "<target>.tmp-<pid>-<n>",
// or, hidden from folder watchers that look for the target's kind of name,
// ".<name>.new-<pid>-<n>". The descriptor and the name; nothing when the
// folder does not take it.
std::optional<std::pair<int, std::string>> CreateFileBeside(const std::string& target,
                                                            bool hidden = false);

// Removes the temporary files of replacements of `target` (both kinds of
// name above) left behind by processes that no longer run, as after a
// kill -9 in the middle of a save. Those of live processes stay.
void RemoveStaleTemporaries(const std::string& target);

} // namespace zeb
