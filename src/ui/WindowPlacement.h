#pragma once

#include <QRect>
#include <QSize>

namespace zeb {

// The value of a stored placement key that means "not set".
constexpr int kUnsetPlacement = -1000;

// Where a tool window opens from its stored x, y, width and height inside the
// work area: an unset width or height takes `ownSize`, an unset x or y centres
// the window on that axis, a position left of or above the work area moves to
// its edge, and a window reaching past its right or bottom edge is moved back
// inside.
QRect PlaceWindow(int x, int y, int width, int height, QSize ownSize, const QRect& workArea);

} // namespace zeb
