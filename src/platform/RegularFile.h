#pragma once

#include <string>
#include <sys/stat.h>

namespace zeb {

// Opens a file that must be a regular one (open(2) flags and mode) without
// waiting: a named pipe or a device put in its place would block the open
// for good. Returns the descriptor, switched back to blocking mode, or -1
// with errno set (EINVAL when the name is no regular file). `st`, when
// given, receives the open file's status.
int OpenRegularFile(const std::string& path, int flags, mode_t mode = 0, struct stat* st = nullptr);

} // namespace zeb
