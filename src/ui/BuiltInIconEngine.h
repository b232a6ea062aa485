#pragma once

#include "resources/ImageNames.h"

#include <QIconEngine>
#include <QPixmap>
#include <map>

namespace zeb {

// A built-in icon whose sizes are made when they are first drawn: the
// picture for a size is the smallest built-in one at least that big (scaled
// down to it), else the largest there is. A tray player that shows one size
// of one icon at start does not make the rest.
class BuiltInIconEngine : public QIconEngine {
public:
    explicit BuiltInIconEngine(IconId id) : id_(id) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    const QPixmap& Source(const QSize& size);

    IconId id_;
    std::map<int, QPixmap> sources_; // by built-in size
};

} // namespace zeb
