// Where the tray menus open.
#include "ui/MenuAnchor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace zeb {

QPoint AnchorNextToPanel(const QRect& screen, const QRect& workArea) {
    const int left = workArea.x();
    const int top = workArea.y();
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    if (workArea.x() > screen.x()) // panel at the left
        return {left, top};
    if (top > screen.y() || bottom < screen.y() + screen.height()) // at the top or bottom
        return {right, bottom < screen.y() + screen.height() ? bottom : top};
    if (right < screen.x() + screen.width()) // at the right
        return {right, top};
    return {right, bottom};
}

QPoint MenuAnchor(MenuPlace where, QPoint trayPoint) {
    switch (where) {
    case MenuPlace::TrayPoint:
        return trayPoint;
    case MenuPlace::NextToPanel:
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return AnchorNextToPanel(screen->geometry(), screen->availableGeometry());
        return trayPoint;
    case MenuPlace::Minibar:
        break;
    }
    return QCursor::pos();
}

} // namespace zeb
