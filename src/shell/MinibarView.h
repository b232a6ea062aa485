// The minibar's rules without a window: its layout, the mouse rules of its
// bars and strips, its placement, the magnetic screen edges and the
// following of the active window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zeb {

struct MainWndSettings;

// A screen rectangle with exclusive right and bottom edges.
struct MbRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const MbRect&) const = default;
    static MbRect At(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
};

// The pixel sizes taken from the dialog template at creation.
struct MinibarMetrics {
    int seekLeft = 60;    // left offset of the seek bar (the button strip's width)
    int height = 15;      // height of the bars and strips
    int volumeWidth = 28; // width of the volume bar
    int toolsWidth = 48;  // width of the tool strip
    int templateWidth = 341;
};

// Where the controls sit in a client area of a given width.
struct MinibarLayout {
    int seekLeft = 0;
    int seekWidth = 0;
    int volumeLeft = 0;
    int toolsLeft = 0;
};
MinibarLayout LayoutMinibar(int clientWidth, const MinibarMetrics& m);

// The seek bar's position 0..1000 for a click at x on a bar `width` wide;
// x is clamped to the bar.
int SeekPerMille(int x, int width);
// The seek target in percent for a release at x.
int SeekPercent(int x, int width);
// The volume 0..100 for a click at x on the volume bar.
int VolumeAtX(int x, int width);
// The time shown while the seek bar is dragged to `perMille` of a track of
// `lengthSec` seconds.
std::string SeekPreviewText(int lengthSec, int perMille, bool remaining, bool showTotal);

// The button strip's five zones.
enum class MinibarButton { Play, Pause, Stop, Previous, Next };
MinibarButton ButtonAt(int x, int width);

// What a left press on the tool strip does.
enum class MinibarTool {
    Mp3Info,
    Equalizer,
    Playlist,
    Tracks,
    Album,
    CdTracks,
    Close,
    Drag,
};
MinibarTool ToolAt(int x, int y, int width, int height, bool cd);

// The two magnetic edges of a moved bar: each axis has its own snapped flag.
class MinibarSnap {
public:
    // The rectangle the bar takes when the user moves it to `proposed`.
    MbRect Moving(MbRect proposed, const MbRect& work);
    bool HorizontalSnapped() const { return horizontal_; }
    bool VerticalSnapped() const { return vertical_; }

private:
    void MoveHorizontally(MbRect& r, const MbRect& work);
    void MoveVertically(MbRect& r, const MbRect& work);

    bool horizontal_ = false;
    bool vertical_ = false;
};

// The rectangle the bar takes when the user drags one of its side edges
// from `current` to `proposed`: the height never changes and the width is
// at least 200, the dragged edge set back when narrower.
constexpr int kMinibarMinWidth = 200;
MbRect SizingMinibar(const MbRect& current, MbRect proposed, bool leftEdgeDragged);

// The bar's rectangle when it is created: from SeekBarX/Y/W, SBDockR/B, or
// at its docked home (DockedHome) when it follows the active window. A
// stored width below the minimum is taken as the minimum.
MbRect MinibarStartRect(const MainWndSettings& s, const MinibarMetrics& m, const MbRect& work,
                        const MbRect& desktop);
// 350 pixels wide, centred, at the work area's top; at its bottom when the
// panel sits at the top of the screen.
MbRect DockedHome(int height, const MbRect& work, const MbRect& desktop);

// The active window as far as the following cares.
struct ForegroundWindow {
    bool exists = false;
    bool ours = false;  // one of the player's own windows
    bool panel = false; // the task bar, a dock or the desktop
    bool visible = false;
    bool hasCaption = false;
    bool toolWindow = false;
    bool topmost = false;
    bool sizingBorder = false;
    bool systemMenu = true;
    bool minimizeBox = true;
    MbRect frame;               // the window with its frame
    int captionButtonWidth = 0; // width of one caption button
};
// Where the bar goes for the active window, or nothing when it stays.
std::optional<MbRect> FollowActiveWindow(const ForegroundWindow& f, const MbRect& bar,
                                         const MbRect& work, const MbRect& desktop);

// The closing bar's placement into SeekBarX/Y (and SeekBarW for the MP3
// bar) and whether it sat on the work area's right or bottom edge.
void StoreMinibarPlacement(MainWndSettings& s, const MbRect& bar, const MbRect& work, bool cd);

} // namespace zeb
