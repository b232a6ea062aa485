#pragma once

#include <string>

namespace zeb {

// Moves a file to the desktop's trash as file managers do (the freedesktop
// trash layout): the user's trash in $XDG_DATA_HOME/Trash when the file is
// on the same file system, else the trash at the top of the file's own file
// system ($topdir/.Trash/$uid when an administrator made .Trash, or
// $topdir/.Trash-$uid). Beside the file goes info/<name>.trashinfo with its
// original path and the deletion time; a name already in the trash gets a
// number. False when no trash on the file's file system takes it; the file
// stays where it was then.
bool MoveToTrash(const std::string& path);

// The user's trash folder ($XDG_DATA_HOME/Trash, ~/.local/share/Trash).
std::string HomeTrashFolder();

} // namespace zeb
