// The now-playing file: a one-line text file with a line such as "Now
// playing: %T", rewritten every second while the player plays, for web pages,
// chat scripts and status bars that show what the player plays.
#pragma once

#include "shell/MainWndSettings.h"

#include <string>
#include <string_view>

namespace zeb {

// What the player is doing, as the line of the file tells it. In CD mode the
// CD's play state, otherwise the engine's (anything but playing or paused is
// Stopped).
enum class NowPlayingState { Playing, Paused, Stopped };

// The line for the state, as UTF-8: W2Fexit when exiting (taken as it is),
// else W2Fplay, W2Fpause or W2Fstop with every "%t" and "%T" replaced by
// the shown name. Spaces, tabs and line breaks at both ends are removed.
std::string NowPlayingLine(const MainWndSettings& settings, NowPlayingState state,
                           std::string_view shownName, bool exiting);

// UTF-8 text in the DOS code page of the interface language: CP850 for
// Danish (Language 0), CP866 for Russian. A character the code page lacks,
// or a byte that is not UTF-8, becomes '?'.
std::string ToOemCodePage(std::string_view utf8, int language);

// Writes the line to W2Ffile without a line end, in the DOS code page when
// W2Foem is 1, and when exiting with W2Fdel 1 removes the file afterwards.
// True when the file holds the line (or was removed as asked). False, with
// nothing else done, when W2Ffile is empty or the file cannot be written;
// the next call simply tries again.
//
// A regular file is replaced as a whole (new file in its folder, renamed over
// it there), so a reader polling it never finds it empty or half written; it
// keeps its permissions. A symbolic link stays a link and its target gets the
// line, except that in a sticky folder such as /tmp only our own links are
// followed: another user's link there is refused. A FIFO, a device, a file
// with several hard links or one owned by another user is written in place
// instead (never through a link), as is a file whose folder does not let us
// create the new one. A FIFO without a reader counts as a failure rather
// than blocking.
bool WriteNowPlaying(const MainWndSettings& settings, NowPlayingState state,
                     std::string_view shownName, bool exiting);

} // namespace zeb
