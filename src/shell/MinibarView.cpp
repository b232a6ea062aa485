#include "shell/MinibarView.h"

#include "shell/MainWndSettings.h"
#include "shell/StatusText.h"

#include <algorithm>
#include <cstdlib>

namespace zeb {

namespace {

constexpr int kUnset = -1000;
constexpr int kDockedWidth = 350;
// The magnetic edges pull within this distance.
constexpr int kSnapDistance = 9;

bool Near(int a, int b) {
    return std::abs(a - b) <= kSnapDistance;
}

MbRect WithSize(int x, int y, const MbRect& sized) {
    return MbRect::At(x, y, sized.Width(), sized.Height());
}

} // namespace

MinibarLayout LayoutMinibar(int clientWidth, const MinibarMetrics& m) {
    MinibarLayout l;
    l.seekLeft = m.seekLeft;
    l.seekWidth = std::max(0, clientWidth - m.seekLeft - m.toolsWidth - m.volumeWidth);
    l.volumeLeft = clientWidth - m.toolsWidth - m.volumeWidth;
    l.toolsLeft = clientWidth - m.toolsWidth;
    return l;
}

// Pixels 0 .. width - 1 span the whole range, so that a click on the bar's
// last pixel reaches its end.
int ScaleToBar(int x, int width, int range) {
    if (width <= 1)
        return 0;
    return std::clamp(x, 0, width - 1) * range / (width - 1);
}

int SeekPerMille(int x, int width) {
    return ScaleToBar(x, width, 1000);
}

int SeekPercent(int x, int width) {
    return ScaleToBar(x, width, 100);
}

int VolumeAtX(int x, int width) {
    return SeekPercent(x, width);
}

std::string SeekPreviewText(int lengthSec, int perMille, bool remaining, bool showTotal) {
    const int at = std::min(int(int64_t{lengthSec} * perMille / 1000), lengthSec);
    return MinibarTimeText(ShownTimeSec(at, lengthSec, remaining), lengthSec, showTotal);
}

MinibarButton ButtonAt(int x, int width) {
    constexpr int kZones = 5;
    if (width <= 0)
        return MinibarButton::Play;
    return MinibarButton(std::clamp(x * kZones / width, 0, kZones - 1));
}

// The last zone closes the bar from its upper third and drags it from the
// rest, like a caption.
MinibarTool ToolAt(int x, int y, int width, int height, bool cd) {
    if (width <= 0)
        return MinibarTool::Drag;
    const bool closeZone = y < height / 3;
    if (cd) {
        if (x * 5 < width * 4)
            return MinibarTool::CdTracks;
        return closeZone ? MinibarTool::Close : MinibarTool::Drag;
    }
    constexpr MinibarTool kZones[] = {MinibarTool::Mp3Info, MinibarTool::Equalizer,
                                      MinibarTool::Playlist, MinibarTool::Tracks,
                                      MinibarTool::Album};
    const int zone = std::clamp(x * 6 / width, 0, 5);
    if (zone < 5)
        return kZones[zone];
    return closeZone ? MinibarTool::Close : MinibarTool::Drag;
}

// ------------------------------------------------------------------ moving

MbRect MinibarSnap::Moving(MbRect proposed, const MbRect& work) {
    MoveHorizontally(proposed, work);
    MoveVertically(proposed, work);
    return proposed;
}

// Unsnapped, an edge near the work area's edge is pulled onto it. Snapped,
// the bar stays glued while it is less than 2 pixels away and comes free
// beyond that.
void MinibarSnap::MoveHorizontally(MbRect& r, const MbRect& work) {
    int x = r.left;
    if (!horizontal_) {
        if (Near(r.right, work.right)) {
            x = work.right - r.Width();
            horizontal_ = true;
        } else if (Near(r.left, work.left)) {
            x = work.left;
            horizontal_ = true;
        }
    } else if (Near(r.right, work.right)) {
        if (std::abs(r.right - work.right) < 2)
            x = work.right - r.Width();
        else
            horizontal_ = false;
    } else if (std::abs(r.left) < kSnapDistance + 1) {
        if (std::abs(r.left - work.left) > 1)
            horizontal_ = false;
        else
            x = work.left;
    }
    r = WithSize(x, r.top, r);
}

void MinibarSnap::MoveVertically(MbRect& r, const MbRect& work) {
    int y = r.top;
    if (!vertical_) {
        if (Near(r.bottom, work.bottom)) {
            y = work.bottom - r.Height();
            vertical_ = true;
        } else if (Near(r.top, work.top)) {
            y = work.top;
            vertical_ = true;
        }
    } else if (Near(r.bottom, work.bottom)) {
        if (std::abs(r.bottom - work.bottom) < 2)
            y = work.bottom - r.Height();
        else
            vertical_ = false;
    } else if (Near(r.top, work.top)) {
        if (std::abs(r.top - work.top) >= 2)
            vertical_ = false;
        else
            y = work.top;
    }
    r = WithSize(r.left, y, r);
}

MbRect SizingMinibar(const MbRect& current, MbRect proposed, bool leftEdgeDragged) {
    proposed.top = current.top;
    proposed.bottom = current.bottom;
    if (proposed.Width() < kMinibarMinWidth) {
        if (leftEdgeDragged)
            proposed.left = proposed.right - kMinibarMinWidth;
        else
            proposed.right = proposed.left + kMinibarMinWidth;
    }
    return proposed;
}

// ------------------------------------------------------------------ placement

MbRect DockedHome(int height, const MbRect& work, const MbRect& desktop) {
    const bool panelOnTop = work.top > desktop.top && work.bottom == desktop.bottom;
    const int x = work.left + (work.Width() - kDockedWidth) / 2;
    const int y = panelOnTop ? work.bottom - height : work.top;
    return MbRect::At(x, y, kDockedWidth, height);
}

MbRect MinibarStartRect(const MainWndSettings& s, const MinibarMetrics& m, const MbRect& work,
                        const MbRect& desktop) {
    if (s.DockMinibar == 1)
        return DockedHome(m.height, work, desktop);
    const int width =
        s.SeekBarW == kUnset ? m.templateWidth : std::max(s.SeekBarW, kMinibarMinWidth);
    int x = s.SeekBarX == kUnset ? work.left + (work.Width() - width) / 2 : s.SeekBarX;
    int y = s.SeekBarY == kUnset ? work.top : s.SeekBarY;
    x = std::max(x, work.left);
    y = std::max(y, work.top);
    if (s.SBDockR == 1 || x + width > work.right)
        x = work.right - width;
    if (s.SBDockB == 1 || y + m.height > work.bottom)
        y = work.bottom - m.height;
    return MbRect::At(x, y, width, m.height);
}

void StoreMinibarPlacement(MainWndSettings& s, const MbRect& bar, const MbRect& work, bool cd) {
    s.SeekBarX = bar.left;
    s.SeekBarY = bar.top;
    if (!cd)
        s.SeekBarW = bar.Width();
    const bool floating = s.DockMinibar == 0;
    s.SBDockR = floating && bar.right == work.right ? 1 : 0;
    s.SBDockB = floating && bar.bottom == work.bottom ? 1 : 0;
}

// ------------------------------------------------------------------ following

namespace {

int FollowWidth(int frameWidth) {
    if (frameWidth > 700)
        return 350;
    if (frameWidth > 550)
        return 300;
    if (frameWidth <= 350)
        return 200;
    return 250;
}

std::optional<MbRect> MovedTo(const MbRect& target, const MbRect& bar) {
    if (target.left == bar.left && target.top == bar.top)
        return std::nullopt;
    return target;
}

} // namespace

std::optional<MbRect> FollowActiveWindow(const ForegroundWindow& f, const MbRect& bar,
                                         const MbRect& work, const MbRect& desktop) {
    if (!f.exists)
        return MovedTo(DockedHome(bar.Height(), work, desktop), bar);
    if (f.ours || f.panel)
        return std::nullopt;
    // The caption buttons' widths to leave free.
    const double buttons = (f.systemMenu ? 1 : 0) + (f.minimizeBox ? 2 : 0) + 0.5;
    const int buttonsWidth = int(buttons * f.captionButtonWidth);
    const bool fullScreen = f.frame == desktop;
    if (!fullScreen && (!f.visible || !f.hasCaption || f.toolWindow || f.topmost ||
                        f.frame.Width() - buttonsWidth <= kMinibarMinWidth))
        return std::nullopt;
    if (fullScreen)
        return MovedTo(DockedHome(bar.Height(), work, desktop), bar);
    const int width = FollowWidth(f.frame.Width());
    const int x = f.frame.right - width - buttonsWidth;
    const int y = f.frame.top + (f.sizingBorder ? 1 : 0);
    return MovedTo(MbRect::At(x, y, width, bar.Height()), bar);
}

} // namespace zeb
