#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zeb {

// The program's path with the extension of its file name replaced by ext;
// a file name without an extension gets ext appended (".ini", not the
// program file itself). Dots in folder names are not extensions.
std::string WithExtension(std::string_view programPath, std::string_view ext);

// Where the program keeps its settings (.ini), user list (.m3u) and info
// cache (.tgs): beside the program file, named after it. When that folder
// cannot be written (an installed program), the same names in the user's
// configuration folder ($XDG_CONFIG_HOME/zeb, else ~/.config/zeb).
struct ProgramFiles {
    std::string folder; // with a trailing '/'
    std::string iniPath;
    std::string userListPath;
    std::string infoCachePath;
};

using FolderWritableFn = std::function<bool(const std::string& folder)>;

bool IsFolderWritable(const std::string& folder);
std::string UserConfigFolder(); // "$XDG_CONFIG_HOME/zeb/" or "$HOME/.config/zeb/"

ProgramFiles LocateProgramFiles(std::string_view programPath,
                                const FolderWritableFn& writable = IsFolderWritable,
                                const std::string& fallbackFolder = UserConfigFolder());

// Creates the folder and its parents (mode 0700 for new ones); true when it exists after.
bool EnsureFolder(const std::string& folder);

// The running program's own file (from /proc/self/exe); empty when unknown.
std::string OwnProgramPath();

} // namespace zeb
