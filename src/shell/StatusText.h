#pragma once

#include <string>
#include <string_view>

namespace zeb {

class CMainWnd;
struct FrameHeader;

// ---------------------------------------------------------------- UTF-8 text
// Number of characters (code points) in UTF-8 text; stray bytes count as one.
size_t Utf8CharCount(std::string_view text);
// Byte offset of character `index` (the text's size when it has fewer).
size_t Utf8CharOffset(std::string_view text, size_t index);
// The first maxChars characters of the text.
std::string_view Utf8Head(std::string_view text, size_t maxChars);
// Every '&' written twice, so a menu or tip shows it instead of a mnemonic.
std::string DoubleAmpersands(std::string_view text);

// ---------------------------------------------------------------- times
// Length in seconds from an info line ending in "(m:ss)"; 0 when it does not.
int LengthFromInfoLine(std::string_view infoLine);
// The info line's length, else the engine's, else 1 second.
int ChooseLengthSec(int infoLengthSec, int engineLengthMs);
// The position in seconds for the engine state (a CMpegPlayer::State),
// 0 unless playing or paused, clamped to [0, lengthSec].
int ChoosePositionSec(int engineState, int positionMs, int lengthSec);
// The time the displays show: the position, or the time left.
int ShownTimeSec(int positionSec, int lengthSec, bool remaining);
// "mm:ss"; minutes keep every digit they need.
std::string MinutesSeconds(int seconds);

// ---------------------------------------------------------------- texts
// The tray tip: "n. title - tt:tt/ll:ll" with the title cut to 30 characters
// plus "...", '&' doubled, and the whole cut to the 63 bytes the tip holds.
constexpr size_t kTooltipMaxBytes = 63;
std::string TooltipText(int index, std::string_view title, int shownSec, int lengthSec);
// The minibar's time: "tt:tt", or "tt:tt/ll:ll" with the total time.
std::string MinibarTimeText(int shownSec, int lengthSec, bool showTotal);
// The minibar's title: "n. name" with the name chosen by showingMode
// (0 title, 1 display name, 2 file name).
std::string MinibarTitleText(int index, int showingMode, std::string_view title,
                             std::string_view displayName, std::string_view fileName);
// "kbps@Hz@mode" of the current stream for the info window.
std::string StreamInfoString(const FrameHeader& header);
std::string_view ChannelModeWord(int mode);

// ---------------------------------------------------------------- snapshot
enum class TrayIconKind { Playing, Paused, Stopped };

// Everything the status displays show, computed from the player; a window
// layer applies it.
struct StatusSnapshot {
    bool emptyList = true;
    TrayIconKind icon = TrayIconKind::Stopped;
    // False for an empty list: the tip keeps its last text.
    bool hasTooltip = false;
    std::string tooltip;
    std::string mainWindowText; // "ZEB MP3 Player" or "ZEB: " + shown name
    int lengthSec = 0;
    int positionSec = 0;
    int minibarPerMille = 0; // position bar, 0..1000
    std::string minibarTime;
    std::string minibarTitle;
    std::string streamInfo;
    std::string shownName;
};

StatusSnapshot ComputeStatus(const CMainWnd& wnd, int engineState, int positionMs, int lengthMs,
                             const FrameHeader& header);

// Builds and stores the current entry's info line when it is empty, so the
// length can be read from it.
void EnsureCurrentInfoLine(CMainWnd& wnd);

} // namespace zeb
