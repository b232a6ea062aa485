// The player's registration with the desktop, made from the six boxes of the
// advanced settings dialog: the handler of MP3 files and M3U/PLS playlists,
// of RIFF-wrapped MP3 WAV files, of audio CDs, "Add to playlist" as the
// default for those files, and "Play with ZEB" / "Add to playlist" for
// folders (a drive is its mount folder here).
//
// It consists of desktop entries of our own in $XDG_DATA_HOME/applications,
// whose command lines start this program file, and of their lines in
// $XDG_CONFIG_HOME/mimeapps.list: default handler for the file types and the
// audio CD, and an added association for folders, which file managers offer
// under "Open With" (and, for KDE's file manager, in a service menu of
// ours). A choice counts as registered only while its entry
// starts the running program file with the expected arguments, so a moved
// program reads as unregistered. Removing takes out only our entries and
// lines.
#pragma once

#include <string>

namespace zeb {

struct ShellRegistrationState {
    bool mp3 = false;        // MP3 files, M3U and PLS playlists
    bool wav = false;        // RIFF-wrapped MP3 in WAV files
    bool audioCd = false;    // audio CDs start the program in CD mode
    bool addDefault = false; // opening a file adds it to the playlist
    bool folderPlay = false;
    bool folderAdd = false;

    bool operator==(const ShellRegistrationState&) const = default;
};

struct XdgUserFolders {
    std::string dataHome;   // $XDG_DATA_HOME or ~/.local/share, no trailing '/'
    std::string configHome; // $XDG_CONFIG_HOME or ~/.config, no trailing '/'

    static XdgUserFolders FromEnvironment();
};

class ShellRegistration {
public:
    ShellRegistration(XdgUserFolders folders, std::string programPath);

    ShellRegistrationState Read() const;
    // Makes the registration match `state`. False when a file could not be
    // written; whatever could be written stays.
    bool Write(const ShellRegistrationState& state) const;

    std::string ApplicationsFolder() const;
    std::string MimeAppsPath() const;
    // The folder verbs as a service menu of KDE's file manager.
    std::string ServiceMenuPath() const;

private:
    std::string EntryPath(const char* id) const;

    XdgUserFolders folders_;
    std::string programPath_;
};

} // namespace zeb
