#pragma once

#include <QPoint>
#include <QRect>

namespace zeb {

// Where a tray menu is shown: at the tray, next to the panel, or at the
// mouse (the minibar's menu, which keeps the display items and drops the
// transport).
enum class MenuPlace { TrayPoint = 0, NextToPanel = 1, Minibar = 2 };

// The corner of the work area next to the desktop's panel, found from the
// part of the screen the work area leaves out: a panel at the left gives
// the work area's top-left corner; at the top or bottom its right edge, at
// the bottom when the panel is there, else at the top; at the right its
// top-right corner; no panel its bottom-right corner. Right and bottom edges
// are exclusive (x + width, y + height), the point a right-aligned menu
// ends at.
QPoint AnchorNextToPanel(const QRect& screen, const QRect& workArea);

// The point a tray menu is shown at: the last tray cursor point, the
// corner next to the panel of the primary screen, or the mouse position.
QPoint MenuAnchor(MenuPlace where, QPoint trayPoint);

} // namespace zeb
