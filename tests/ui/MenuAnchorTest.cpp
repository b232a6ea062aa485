// Where the tray menus open next to the desktop's panel.
#include "ui/MenuAnchor.h"

#include "MenuTestSupport.h"

#include <QCursor>
#include <gtest/gtest.h>

namespace zeb {
namespace {

TEST(MenuAnchorTest, TheCornerOfTheWorkAreaNextToThePanel) {
    const QRect screen(0, 0, 1920, 1080);
    // Bottom panel: the work area's bottom-right corner (exclusive edges).
    EXPECT_EQ(AnchorNextToPanel(screen, QRect(0, 0, 1920, 1040)), QPoint(1920, 1040));
    // Top panel: its top-right corner.
    EXPECT_EQ(AnchorNextToPanel(screen, QRect(0, 32, 1920, 1048)), QPoint(1920, 32));
    // Left panel: its top-left corner.
    EXPECT_EQ(AnchorNextToPanel(screen, QRect(64, 0, 1856, 1080)), QPoint(64, 0));
    // Right panel: its top-right corner.
    EXPECT_EQ(AnchorNextToPanel(screen, QRect(0, 0, 1856, 1080)), QPoint(1856, 0));
    // No panel: bottom-right.
    EXPECT_EQ(AnchorNextToPanel(screen, screen), QPoint(1920, 1080));
    // Panels at the top and the bottom: the bottom one.
    EXPECT_EQ(AnchorNextToPanel(screen, QRect(0, 24, 1920, 1016)), QPoint(1920, 1040));
    // A screen to the right of another, with its panel at the bottom.
    EXPECT_EQ(AnchorNextToPanel(QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 984)),
              QPoint(3200, 984));
}

TEST(MenuAnchorTest, TheTrayPointOrTheMouse) {
    test::EnsureApplication();
    EXPECT_EQ(MenuAnchor(MenuPlace::TrayPoint, QPoint(321, 12)), QPoint(321, 12));
    QCursor::setPos(QPoint(77, 88));
    EXPECT_EQ(MenuAnchor(MenuPlace::Minibar, QPoint(321, 12)), QCursor::pos());
    EXPECT_NE(MenuAnchor(MenuPlace::Minibar, QPoint(321, 12)), QPoint(321, 12));
}

} // namespace
} // namespace zeb
