#pragma once

#include "playlist/PlaylistEntry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// True for "http://" and "ftp://" addresses, whatever the letter case.
bool IsAddress(std::string_view path);

// The address with every space replaced by "%20".
std::string EscapeAddressSpaces(std::string_view address);

// True when the file name ends in ".pls", whatever the letter case.
bool IsPlsName(std::string_view path);

// The whole content of a regular file; nothing when it cannot be opened for
// reading, is no regular file or is too large to be a playlist (64 MiB).
std::optional<std::string> ReadTextFile(const std::string& path);

// Splits text into lines at '\n', each trimmed of white space at both ends
// (so CR LF files read like LF files). A leading UTF-8 byte order mark is
// dropped, a line is cut at a zero byte, and the empty piece after a final
// line break is not a line.
std::vector<std::string> SplitTrimmedLines(std::string_view text);

// The local path a "file:///x" or "file://localhost/x" address names, with
// its %XX escapes decoded; nothing for any other text.
std::optional<std::string> LocalPathOfFileAddress(std::string_view line);

// An entry path from a line of a file that stores paths as they are (the
// user list, the info cache): "file://" lines, which the writers use for
// paths with control characters, are decoded; spaces in addresses become "%20".
std::string StoredLineToPath(std::string line);

enum class AddressSpaces { Escape, Keep };

// Turns one entry line of a playlist file into an entry path.
// - "http://" and "ftp://" addresses are kept (spaces become "%20" with Escape);
// - "file://" addresses become the local path they name;
// - '/' paths are absolute;
// - Windows absolute forms ("C:\x\a.mp3", "\x\a.mp3", "\\server\share\x\a.mp3")
//   lose their drive or share, and the rest ("x/a.mp3") is looked for in the
//   playlist's folder and then in each folder above it up to '/'; the first
//   that exists wins, else it is taken from '/';
// - anything else is relative to the playlist's folder, with '\' read as '/'
//   unless the name exists as written.
// playlistPath is made absolute first, so results are absolute paths.
std::string ResolveEntryLine(std::string_view line, const std::string& playlistPath,
                             AddressSpaces spaces = AddressSpaces::Escape);

// Adds the entries of a playlist's text (M3U, or PLS when playlistPath ends
// in ".pls") to list. A "#TAG=" line in M3U sets the info line of the list's
// last entry, also one that was in the list before, and is reported to
// onInfo; with an empty list it is an entry line.
void ParsePlaylistText(std::string_view text, const std::string& playlistPath,
                       std::vector<PlaylistEntry>& list, const InfoFoundFn& onInfo = {});

// ReadTextFile and ParsePlaylistText in one; false (list untouched) when the
// file cannot be read.
bool ReadPlaylistFile(const std::string& playlistPath, std::vector<PlaylistEntry>& list,
                      const InfoFoundFn& onInfo = {});

// An entry line of a playlist that the append command writes back: the path
// it resolves to, and its own text, which is what is written back when the
// path names no existing file (a line for another machine, a comment).
struct KeptEntryLine {
    std::string path;
    std::string text;
    bool found = false; // an address, or an existing file
};

// The entry lines of an existing playlist as the append command keeps them:
// "#EXT" and "#TAG=" lines skipped, every other line (in a PLS file only
// the "File" lines) resolved, addresses kept exactly. Nothing when the file
// cannot be read.
std::optional<std::vector<KeptEntryLine>> ReadLinesForAppend(const std::string& playlistPath);

} // namespace zeb
