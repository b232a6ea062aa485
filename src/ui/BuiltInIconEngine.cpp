#include "ui/BuiltInIconEngine.h"

#include "ui/SkinImages.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace zeb {

const QPixmap& BuiltInIconEngine::Source(const QSize& size) {
    const int builtIn = IconSizeFor(id_, std::max(size.width(), size.height()));
    auto found = sources_.find(builtIn);
    if (found == sources_.end()) {
        const QImage image = BuiltInImage(ImagePath(id_, builtIn));
        found = sources_.emplace(builtIn, QPixmap::fromImage(image)).first;
    }
    return found->second;
}

// The built-in size, or `size` when that is smaller: icons are scaled down,
// never up.
QSize BuiltInIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
    const int builtIn = IconSizeFor(id_, std::max(size.width(), size.height()));
    if (builtIn <= 0 || size.isEmpty())
        return {};
    const QSize own(builtIn, builtIn);
    return own.width() > size.width() || own.height() > size.height()
               ? own.scaled(size, Qt::KeepAspectRatio)
               : own;
}

QPixmap BuiltInIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    const QSize target = actualSize(size, mode, state);
    if (target.isEmpty())
        return {};
    QPixmap picture = Source(size);
    if (picture.size() != target)
        picture = picture.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Disabled and selected looks come from the style, as for any icon.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (mode == QIcon::Normal || !app)
        return picture;
    QStyleOption option;
    option.palette = QApplication::palette();
    return QApplication::style()->generatedIconPixmap(mode, picture, &option);
}

void BuiltInIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                              QIcon::State state) {
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    if (picture.isNull())
        return;
    picture.setDevicePixelRatio(ratio);
    const QSize shown = picture.deviceIndependentSize().toSize();
    const QPoint at(rect.x() + (rect.width() - shown.width()) / 2,
                    rect.y() + (rect.height() - shown.height()) / 2);
    painter->drawPixmap(at, picture);
}

QList<QSize> BuiltInIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    QList<QSize> sizes;
    for (int i = 0; i < IconSizeCount(id_); ++i)
        sizes.append(QSize(IconSize(id_, i), IconSize(id_, i)));
    return sizes;
}

QIconEngine* BuiltInIconEngine::clone() const {
    return new BuiltInIconEngine(*this);
}

QString BuiltInIconEngine::key() const {
    return QStringLiteral("zeb-built-in");
}

} // namespace zeb
