#include "ui/WindowPlacement.h"

#include <algorithm>

namespace zeb {

namespace {

// One axis: the start of a window of `length` inside [areaStart, areaStart + areaLength).
int PlaceOnAxis(int stored, int length, int areaStart, int areaLength) {
    int start = stored == kUnsetPlacement ? areaStart + (areaLength - length) / 2 : stored;
    // Moving back from the far edge comes first, so a window larger than the
    // area keeps its near edge visible.
    start = std::min(start, areaStart + areaLength - length);
    return std::max(start, areaStart);
}

} // namespace

QRect PlaceWindow(int x, int y, int width, int height, QSize ownSize, const QRect& workArea) {
    const int w = width == kUnsetPlacement ? ownSize.width() : width;
    const int h = height == kUnsetPlacement ? ownSize.height() : height;
    return QRect(PlaceOnAxis(x, w, workArea.x(), workArea.width()),
                 PlaceOnAxis(y, h, workArea.y(), workArea.height()), w, h);
}

} // namespace zeb
