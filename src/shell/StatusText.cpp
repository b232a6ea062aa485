// The texts and numbers of the tray tip, window titles and minibar.
#include "shell/StatusText.h"

#include "engine/FrameHeader.h"
#include "engine/MpegPlayer.h"
#include "platform/TextUtil.h"
#include "playlist/Id3v1Tag.h"
#include "shell/MainWnd.h"

#include <algorithm>
#include <cstdio>

namespace zeb {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Digits only, at most nine of them; -1 otherwise.
int ParseCount(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 9)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string Format(const char* format, int a, int b) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

TrayIconKind IconFor(int engineState) {
    if (engineState == CMpegPlayer::Playing)
        return TrayIconKind::Playing;
    if (engineState == CMpegPlayer::Paused)
        return TrayIconKind::Paused;
    return TrayIconKind::Stopped;
}

} // namespace

size_t Utf8CharCount(std::string_view text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

size_t Utf8CharOffset(std::string_view text, size_t index) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsContinuationByte(text[i]))
            continue;
        if (seen == index)
            return i;
        ++seen;
    }
    return text.size();
}

std::string_view Utf8Head(std::string_view text, size_t maxChars) {
    return text.substr(0, Utf8CharOffset(text, maxChars));
}

std::string DoubleAmpersands(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

int LengthFromInfoLine(std::string_view infoLine) {
    size_t open = infoLine.rfind('(');
    if (open == std::string_view::npos || open + 1 >= infoLine.size())
        return 0;
    std::string_view inside = infoLine.substr(open + 1, infoLine.size() - open - 2);
    size_t colon = inside.find(':');
    if (colon == std::string_view::npos)
        return 0;
    int minutes = ParseCount(inside.substr(0, colon));
    int seconds = ParseCount(inside.substr(colon + 1));
    if (minutes < 0 || seconds < 0 || minutes > 1'000'000 || seconds > 1'000'000)
        return 0;
    return minutes * 60 + seconds;
}

int ChooseLengthSec(int infoLengthSec, int engineLengthMs) {
    if (infoLengthSec > 0)
        return infoLengthSec;
    if (engineLengthMs / 1000 > 0)
        return engineLengthMs / 1000;
    return 1;
}

int ChoosePositionSec(int engineState, int positionMs, int lengthSec) {
    if (engineState != CMpegPlayer::Playing && engineState != CMpegPlayer::Paused)
        return 0;
    return std::clamp(positionMs / 1000, 0, std::max(lengthSec, 0));
}

int ShownTimeSec(int positionSec, int lengthSec, bool remaining) {
    return remaining ? lengthSec - positionSec : positionSec;
}

std::string MinutesSeconds(int seconds) {
    return Format("%02d:%02d", seconds / 60, seconds % 60);
}

std::string TooltipText(int index, std::string_view title, int shownSec, int lengthSec) {
    constexpr size_t kTitleChars = 30;
    std::string shortTitle(Utf8Head(title, kTitleChars));
    if (shortTitle.size() < title.size())
        shortTitle += "...";
    // A tooltip has no menu prefix character: '&' stays single.
    std::string tip = std::to_string(index + 1) + ". " + shortTitle + " - " +
                      MinutesSeconds(shownSec) + "/" + MinutesSeconds(lengthSec);
    return CutUtf8(tip, kTooltipMaxBytes);
}

std::string MinibarTimeText(int shownSec, int lengthSec, bool showTotal) {
    std::string text = MinutesSeconds(shownSec);
    if (showTotal)
        text += "/" + MinutesSeconds(lengthSec);
    return text;
}

std::string MinibarTitleText(int index, int showingMode, std::string_view title,
                             std::string_view displayName, std::string_view fileName) {
    std::string_view name = showingMode == 1 ? displayName : showingMode == 2 ? fileName : title;
    return std::to_string(index + 1) + ". " + std::string(name);
}

std::string_view ChannelModeWord(int mode) {
    switch (mode) {
    case 0:
        return "Stereo";
    case 1:
        return "Joint-stereo";
    case 2:
        return "Dual-channel";
    default:
        return "Mono";
    }
}

std::string StreamInfoString(const FrameHeader& header) {
    return std::to_string(BitrateKbps(header)) + "@" + std::to_string(SamplingRateOf(header)) +
           "@" + std::string(ChannelModeWord(header.mode));
}

StatusSnapshot ComputeStatus(const CMainWnd& wnd, int engineState, int positionMs, int lengthMs,
                             const FrameHeader& header) {
    StatusSnapshot s;
    const int count = wnd.Count();
    if (count == 0) {
        s.mainWindowText = "ZEB MP3 Player";
        return s;
    }
    const int index = std::clamp(wnd.CurrentIndex(), 0, count - 1);
    s.emptyList = false;
    s.lengthSec = ChooseLengthSec(LengthFromInfoLine(wnd.Model().InfoAt(index)), lengthMs);
    s.positionSec = ChoosePositionSec(engineState, positionMs, s.lengthSec);
    s.icon = IconFor(engineState);

    const int shown = ShownTimeSec(s.positionSec, s.lengthSec, wnd.ShowRemainingTime == 1);
    s.minibarPerMille = static_cast<int>(int64_t{s.positionSec} * 1000 / s.lengthSec);
    s.minibarTime = MinibarTimeText(shown, s.lengthSec, wnd.ShowTTT != 0);
    s.minibarTitle =
        MinibarTitleText(index, wnd.ShowingMode, wnd.Title(), wnd.DisplayName(), wnd.FileName());
    s.hasTooltip = true;
    s.tooltip = TooltipText(index, wnd.Title(), shown, s.lengthSec);
    s.streamInfo = StreamInfoString(header);
    s.shownName = wnd.DisplayName();
    s.mainWindowText = "ZEB: " + s.shownName;
    return s;
}

void EnsureCurrentInfoLine(CMainWnd& wnd) {
    const int index = wnd.CurrentIndex();
    if (index < 0 || index >= wnd.Count() || !wnd.Model().InfoAt(index).empty())
        return;
    const std::string path = wnd.Model().PathAt(index);
    wnd.Model().SetInfoAt(index, wnd.Model().BuildInfoLine(path));
}

} // namespace zeb
