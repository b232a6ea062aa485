#include "ui/EqualizerBar.h"

#include "shell/EqualizerView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace zeb {

namespace {

constexpr int kScaleLines = 19;
constexpr int kLongLine = 10;

} // namespace

EqualizerBar::EqualizerBar(QWidget* parent) : QAbstractSlider(parent) {
    setOrientation(Qt::Vertical);
    setRange(0, EqualizerView::kMaxPosition);
    setPageStep(2);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize EqualizerBar::sizeHint() const {
    return QSize(18, 120);
}

QSize EqualizerBar::minimumSizeHint() const {
    return QSize(9, 40);
}

// The filled part rises from the bottom to the position; scale lines at or
// below the position take the background colour and cut it into segments,
// those above it take the fill colour.
void EqualizerBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const QColor face = palette().color(QPalette::Button);
    const QColor fill = palette().color(QPalette::Highlight);
    painter.fillRect(rect(), face);
    const int top = h - value() * h / maximum();
    painter.fillRect(QRect(0, top, w, h - top), fill);
    for (int i = 1; i <= kScaleLines; ++i) {
        const int y = h - i * h / (kScaleLines + 1);
        const bool longLine = i == kLongLine;
        const int left = longLine ? 1 : w / 3;
        const int right = longLine ? w - 1 : w - w / 3;
        painter.setPen(i <= value() ? face : fill);
        painter.drawLine(left, y, right - 1, y);
    }
}

void EqualizerBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractSlider::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    MoveToPointer(qRound(event->position().y()), true);
    event->accept();
}

void EqualizerBar::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractSlider::mouseMoveEvent(event);
        return;
    }
    MoveToPointer(qRound(event->position().y()), false);
    event->accept();
}

void EqualizerBar::keyPressEvent(QKeyEvent* event) {
    const int before = value();
    QAbstractSlider::keyPressEvent(event);
    ReportIfChanged(before);
}

void EqualizerBar::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QAbstractSlider::wheelEvent(event);
    ReportIfChanged(before);
}

// A press reports even an unchanged position: it still ends the preset. A
// drag reports only changes.
void EqualizerBar::MoveToPointer(int y, bool pressed) {
    const int before = value();
    setValue(EqualizerView::PositionFromPointer(y, height()));
    if (pressed)
        emit Moved(value());
    else
        ReportIfChanged(before);
}

void EqualizerBar::ReportIfChanged(int before) {
    if (value() != before)
        emit Moved(value());
}

} // namespace zeb
