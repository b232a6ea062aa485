#pragma once

#include "platform/AtomicFile.h"
#include "playlist/PlaylistEntry.h"

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// A path as one line of a text file: unchanged unless it holds a control
// character (a line break would split it into phantom lines). Then a file
// path becomes a "file://" address and an address gets "%XX" escapes, both
// of which the readers undo.
std::string PathAsSingleLine(const std::string& path);

// The line a playlist at playlistPath holds for an entry: relative to the
// playlist's folder when the entry lies in it or below it, else the
// absolute path; addresses as they are. A relative form that would read
// back as something else (a leading '#', blank or drive letter) is written
// absolute instead.
std::string EntryLineFor(const std::string& entryPath, const std::string& playlistPath);

// The text of a playlist file holding entries in order: one entry line
// each, followed by "#TAG=" and its info line when withTags. A playlist
// named ".pls" gets the PLS layout ("[playlist]", FileN=, NumberOfEntries=)
// so that it reads back as one, without info lines.
std::string FormatPlaylist(const std::vector<PlaylistEntry>& entries,
                           const std::string& playlistPath, bool withTags);

// Writes entries to the playlist file (replacing it atomically). With
// withTags, missing info lines are first built by buildInfo and stored in
// entries, so the caller can keep them in its list. False when the file
// could not be written; it is then unchanged.
bool WritePlaylistFile(const std::string& playlistPath, std::vector<PlaylistEntry>& entries,
                       bool withTags, const InfoBuildFn& buildInfo);

enum class AppendResult { Done, CannotRead, CannotWrite };

// Adds paths to the end of an existing playlist: the file's entries are
// read and written again (relative where possible; lines that name no
// existing file keep their text) followed by paths. With
// withTags every entry gets a freshly built info line from buildInfo; the
// file's former "#TAG=" lines are dropped. The file is unchanged on failure.
AppendResult AppendToPlaylist(const std::string& playlistPath,
                              const std::vector<std::string>& paths, bool withTags,
                              const InfoBuildFn& buildInfo);

} // namespace zeb
