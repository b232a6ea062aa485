#include "shell/MinibarView.h"

#include "shell/MainWndSettings.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

const MbRect kDesktop{0, 0, 1280, 1024};
const MbRect kWork{0, 0, 1280, 994}; // a panel along the bottom

TEST(MinibarMouse, SeekAndVolumeFollowTheClickAndClampToTheBar) {
    const MinibarLayout l = LayoutMinibar(341, MinibarMetrics{});
    EXPECT_EQ(l.seekLeft + l.seekWidth, l.volumeLeft);
    EXPECT_EQ(l.volumeLeft + MinibarMetrics{}.volumeWidth, l.toolsLeft);
    EXPECT_EQ(l.toolsLeft + MinibarMetrics{}.toolsWidth, 341);

    const int w = l.seekWidth;
    EXPECT_EQ(SeekPercent(w / 2, w), 50);
    EXPECT_EQ(SeekPerMille(w / 2, w), 500);
    EXPECT_EQ(SeekPerMille(-30, w), 0);
    EXPECT_EQ(SeekPerMille(w + 30, w), 1000);
    EXPECT_EQ(VolumeAtX(27, 28), 100); // the last pixel
    EXPECT_EQ(VolumeAtX(400, 28), 100);
    EXPECT_EQ(VolumeAtX(-4, 28), 0);

    // Half of a 3:20 track, shown elapsed, remaining and with the total.
    EXPECT_EQ(SeekPreviewText(200, 500, false, false), "01:40");
    EXPECT_EQ(SeekPreviewText(200, 250, true, true), "02:30/03:20");
    EXPECT_EQ(SeekPreviewText(200, 1000, false, false), "03:20");
}

TEST(MinibarMouse, ToolStripZonesCloseFromTheUpperThirdAndDragBelow) {
    EXPECT_EQ(ToolAt(2, 7, 48, 15, false), MinibarTool::Mp3Info);
    EXPECT_EQ(ToolAt(9, 7, 48, 15, false), MinibarTool::Equalizer);
    EXPECT_EQ(ToolAt(35, 7, 48, 15, false), MinibarTool::Album);
    EXPECT_EQ(ToolAt(45, 2, 48, 15, false), MinibarTool::Close);
    EXPECT_EQ(ToolAt(45, 8, 48, 15, false), MinibarTool::Drag);
    EXPECT_EQ(ToolAt(37, 2, 48, 15, true), MinibarTool::CdTracks);
    EXPECT_EQ(ToolAt(40, 2, 48, 15, true), MinibarTool::Close);
    EXPECT_EQ(ButtonAt(59, 60), MinibarButton::Next);
    EXPECT_EQ(ButtonAt(12, 60), MinibarButton::Pause);
}

TEST(MinibarMove, EdgesPullWithinNinePixelsAndLetGoBeyondTwo) {
    MinibarSnap snap;
    // 10 pixels from the right edge: free.
    EXPECT_EQ(snap.Moving(MbRect::At(930, 300, 340, 15), kWork), MbRect::At(930, 300, 340, 15));
    EXPECT_FALSE(snap.HorizontalSnapped());
    // 9 pixels away: pulled flush.
    EXPECT_EQ(snap.Moving(MbRect::At(931, 300, 340, 15), kWork), MbRect::At(940, 300, 340, 15));
    EXPECT_TRUE(snap.HorizontalSnapped());
    // Glued while less than 2 pixels off, free from 2 pixels on.
    EXPECT_EQ(snap.Moving(MbRect::At(939, 300, 340, 15), kWork).left, 940);
    EXPECT_EQ(snap.Moving(MbRect::At(935, 300, 340, 15), kWork).left, 935);
    EXPECT_FALSE(snap.HorizontalSnapped());

    // Top and bottom, each axis on its own.
    EXPECT_EQ(snap.Moving(MbRect::At(500, 7, 340, 15), kWork), MbRect::At(500, 0, 340, 15));
    EXPECT_TRUE(snap.VerticalSnapped());
    EXPECT_FALSE(snap.HorizontalSnapped());
    EXPECT_EQ(snap.Moving(MbRect::At(500, 4, 340, 15), kWork).top, 4);
    EXPECT_FALSE(snap.VerticalSnapped());
    EXPECT_EQ(snap.Moving(MbRect::At(5, 975, 340, 15), kWork), MbRect::At(0, 979, 340, 15));
}

TEST(MinibarSize, WidthNeverBelow200AndHeightKept) {
    const MbRect current = MbRect::At(100, 50, 300, 15);
    EXPECT_EQ(SizingMinibar(current, {100, 40, 250, 70}, false), MbRect::At(100, 50, 200, 15));
    EXPECT_EQ(SizingMinibar(current, {320, 50, 400, 65}, true), MbRect::At(200, 50, 200, 15));
    EXPECT_EQ(SizingMinibar(current, {50, 50, 400, 65}, true), MbRect::At(50, 50, 350, 15));
}

TEST(MinibarPlace, FirstStartCentredAtTopAndRightDockSurvivesAWidthChange) {
    MainWndSettings s;
    const MinibarMetrics m;
    EXPECT_EQ(MinibarStartRect(s, m, kWork, kDesktop), MbRect::At((1280 - 341) / 2, 0, 341, 15));

    // Closed flush with the right edge of a wide screen...
    StoreMinibarPlacement(s, MbRect::At(1280 - 400, 300, 400, 15), kWork, false);
    EXPECT_EQ(s.SBDockR, 1);
    EXPECT_EQ(s.SBDockB, 0);
    EXPECT_EQ(s.SeekBarW, 400);
    // ...it reopens flush with the right edge of a narrower one.
    const MbRect narrow{0, 0, 1024, 738};
    EXPECT_EQ(MinibarStartRect(s, m, narrow, {0, 0, 1024, 768}), MbRect::At(624, 300, 400, 15));

    // Off the edge, it comes back where it was; the CD bar keeps the width.
    StoreMinibarPlacement(s, MbRect::At(200, 300, 250, 15), kWork, true);
    EXPECT_EQ(s.SBDockR, 0);
    EXPECT_EQ(s.SeekBarW, 400);
    EXPECT_EQ(MinibarStartRect(s, m, kWork, kDesktop), MbRect::At(200, 300, 400, 15));

    // A bar following windows never counts as docked to an edge.
    s.DockMinibar = 1;
    StoreMinibarPlacement(s, MbRect::At(1280 - 350, 979, 350, 15), kWork, false);
    EXPECT_EQ(s.SBDockR, 0);
    EXPECT_EQ(s.SBDockB, 0);
    EXPECT_EQ(MinibarStartRect(s, m, kWork, kDesktop), MbRect::At(465, 0, 350, 15));
}

TEST(MinibarFollow, SitsLeftOfTheCaptionButtonsAndSkipsWindowsItMustNotCover) {
    ForegroundWindow f;
    f.exists = f.visible = f.hasCaption = f.sizingBorder = true;
    f.captionButtonWidth = 20; // 3.5 buttons: 70 pixels left free
    f.frame = MbRect::At(100, 200, 600, 400);
    const MbRect bar = MbRect::At(0, 0, 341, 15);
    EXPECT_EQ(FollowActiveWindow(f, bar, kWork, kDesktop),
              MbRect::At(700 - 300 - 70, 201, 300, 15));
    f.frame = MbRect::At(100, 200, 800, 400);
    const std::optional<MbRect> wide = FollowActiveWindow(f, bar, kWork, kDesktop);
    EXPECT_EQ(wide, MbRect::At(900 - 350 - 70, 201, 350, 15));
    // Already there: no move.
    EXPECT_FALSE(FollowActiveWindow(f, *wide, kWork, kDesktop));

    // Too narrow beside its buttons, a tool window, one kept on top, ours.
    f.frame = MbRect::At(100, 200, 270, 400);
    EXPECT_FALSE(FollowActiveWindow(f, bar, kWork, kDesktop));
    f.frame = MbRect::At(100, 200, 800, 400);
    for (bool ForegroundWindow::*flag :
         {&ForegroundWindow::toolWindow, &ForegroundWindow::topmost, &ForegroundWindow::ours}) {
        ForegroundWindow g = f;
        g.*flag = true;
        EXPECT_FALSE(FollowActiveWindow(g, bar, kWork, kDesktop));
    }
    // No active window, or a full-screen one: back home at the top.
    EXPECT_EQ(FollowActiveWindow(ForegroundWindow{}, bar, kWork, kDesktop),
              MbRect::At(465, 0, 350, 15));
    f.frame = kDesktop;
    f.hasCaption = false;
    EXPECT_EQ(FollowActiveWindow(f, bar, kWork, kDesktop), MbRect::At(465, 0, 350, 15));
    // With the panel on top, home is the bottom of the work area.
    EXPECT_EQ(DockedHome(15, {0, 30, 1280, 1024}, kDesktop), MbRect::At(465, 1009, 350, 15));
}

} // namespace
} // namespace zeb
