#include "ui/PlaylistList.h"

#include "shell/PlaylistView.h"
#include "ui/DialogControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace zeb {

namespace {

// The pointer this close to the top or bottom edge while dragging moves the
// target one row further and keeps scrolling.
constexpr int kDragEdge = 10;
constexpr int kDragScrollMs = 60;
// The current entry's text colour.
const QColor kCurrentEntryColour(0, 128, 128);

} // namespace

PlaylistList::PlaylistList(PlaylistView& view, QWidget* parent)
    : QAbstractScrollArea(parent), view_(view) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    dragScroll_.setInterval(kDragScrollMs);
    connect(&dragScroll_, &QTimer::timeout, this, [this] {
        if (dragging_ && InScrollZone(dragY_))
            DragStep(dragY_);
        else
            dragScroll_.stop();
    });
}

int PlaylistList::RowHeight() const {
    const QFontMetrics metrics = fontMetrics();
    return std::max(1, metrics.height() + metrics.leading());
}

int PlaylistList::RowAt(int y) const {
    if (y < 0)
        return -1;
    const int row = view_.TopRow() + y / RowHeight();
    return row < view_.Count() ? row : -1;
}

void PlaylistList::SyncRows() {
    syncing_ = true;
    QScrollBar* bar = verticalScrollBar();
    const int page = std::max(1, viewport()->height() / RowHeight());
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, view_.Count() - page));
    bar->setValue(view_.TopRow());
    syncing_ = false;
    viewport()->update();
}

void PlaylistList::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    syncing_ = true;
    view_.SetPageRows(std::max(1, viewport()->height() / RowHeight()));
    syncing_ = false;
    SyncRows();
}

void PlaylistList::scrollContentsBy(int, int) {
    if (!syncing_)
        view_.SetTopRow(verticalScrollBar()->value());
    viewport()->update();
}

// ------------------------------------------------------------------ painting

void PlaylistList::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    const int height = RowHeight();
    const int charWidth = std::max(1, fontMetrics().averageCharWidth());
    const int top = view_.TopRow();
    const int first = top + std::max(0, event->rect().top()) / height;
    const int last = std::min(view_.Count() - 1, top + event->rect().bottom() / height);
    firstPainted_ = first;
    paintedCount_ = std::max(0, last - first + 1);
    for (int row = first; row <= last; ++row)
        PaintRow(painter, row, QRect(0, (row - top) * height, viewport()->width(), height),
                 charWidth);
}

void PlaylistList::PaintRow(QPainter& painter, int row, const QRect& rect, int charWidth) {
    const PlaylistView::RowText text = view_.Row(row);
    const bool selected = view_.IsSelected(row);
    const QPalette& colours = palette();
    if (selected)
        painter.fillRect(rect, colours.color(QPalette::Highlight));
    QColor ink = colours.color(QPalette::Text);
    if (selected)
        ink = colours.color(QPalette::Base);
    else if (!isEnabled())
        ink = colours.color(QPalette::Disabled, QPalette::Text);
    else if (text.current)
        ink = kCurrentEntryColour;
    painter.setPen(ink);

    const QFontMetrics metrics = fontMetrics();
    // The column is as wide as the largest number needs, also past four
    // digits or where digits are wider than the average character.
    const int numberWidth = std::max(view_.NumberDigits() * charWidth,
                                     metrics.horizontalAdvance(QString::number(view_.Count())));
    // Four average characters, or what "00:00" needs where digits are wider.
    const int lengthWidth = std::max(charWidth * 4, metrics.horizontalAdvance("00:00"));
    const int lengthLeft = rect.right() + 1 - charWidth / 2 - lengthWidth;
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    auto draw = [&](int left, int right, const std::string& utf8, Qt::Alignment align) {
        if (right <= left || utf8.empty())
            return;
        QRect box(left, rect.top(), right - left, rect.height());
        painter.drawText(box, flags | align,
                         metrics.elidedText(FromUtf8(utf8), Qt::ElideRight, box.width()));
    };
    draw(rect.left(), rect.left() + numberWidth, text.number, Qt::AlignRight);
    draw(rect.left() + numberWidth + charWidth, lengthLeft, text.text, Qt::AlignLeft);
    draw(lengthLeft, rect.right() + 1 - charWidth / 2, text.length, Qt::AlignRight);

    if (row == view_.Caret() && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect;
        focus.backgroundColor = colours.color(selected ? QPalette::Highlight : QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

// ------------------------------------------------------------------ mouse

void PlaylistList::mousePressEvent(QMouseEvent* event) {
    const int row = RowAt(event->position().toPoint().y());
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        view_.LeftPress(row, shift, ctrl);
        view_.BeginDrag(row);
        dragging_ = row >= 0;
    } else if (event->button() == Qt::RightButton) {
        if (!shift && row >= 0)
            setFocus(Qt::MouseFocusReason);
        view_.RightPress(row, shift, ctrl);
    }
}

void PlaylistList::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    dragY_ = event->position().toPoint().y();
    DragStep(dragY_);
    if (InScrollZone(dragY_)) {
        if (!dragScroll_.isActive())
            dragScroll_.start();
    } else {
        dragScroll_.stop();
    }
}

void PlaylistList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = false;
        dragScroll_.stop();
    } else if (event->button() == Qt::RightButton &&
               viewport()->rect().contains(event->position().toPoint())) {
        emit ContextMenuWanted(event->globalPosition().toPoint());
    }
}

void PlaylistList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int row = RowAt(event->position().toPoint().y());
    if (row >= 0)
        view_.Activate(row);
}

bool PlaylistList::InScrollZone(int y) const {
    return y < kDragEdge || y >= viewport()->height() - kDragEdge;
}

// The target is the row under the pointer (the nearest row when the pointer
// is outside the rows), one further up or down near the edges.
void PlaylistList::DragStep(int y) {
    const int count = view_.Count();
    if (count == 0 || view_.DragAnchor() < 0)
        return;
    const int height = RowHeight();
    int target = view_.TopRow() + std::max(0, y) / height;
    target = std::clamp(target, 0, count - 1);
    if (y < kDragEdge && target > 0)
        --target;
    else if (y >= viewport()->height() - kDragEdge && target < count - 1)
        ++target;
    view_.DragTo(target);
    ScrollToShow(target);
}

void PlaylistList::ScrollToShow(int row) {
    const int page = std::max(1, viewport()->height() / RowHeight());
    if (row < view_.TopRow())
        view_.SetTopRow(row);
    else if (row >= view_.TopRow() + page)
        view_.SetTopRow(row - page + 1);
    else
        return;
    SyncRows();
}

// ------------------------------------------------------------------ keyboard

// The view learns of Shift and Ctrl from their own key events; a key that
// arrives from the find box carries them without those events.
void PlaylistList::FollowModifiers(Qt::KeyboardModifiers modifiers) {
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (shift != view_.ShiftHeld())
        shift ? view_.ShiftDown() : view_.ShiftUp();
    if (ctrl != view_.CtrlHeld())
        ctrl ? view_.CtrlDown() : view_.CtrlUp();
}

bool PlaylistList::Navigate(int key) {
    using Nav = PlaylistView::NavKey;
    switch (key) {
    case Qt::Key_PageUp:
        view_.Navigate(Nav::PageUp);
        return true;
    case Qt::Key_PageDown:
        view_.Navigate(Nav::PageDown);
        return true;
    case Qt::Key_Home:
        view_.Navigate(Nav::Home);
        return true;
    case Qt::Key_End:
        view_.Navigate(Nav::End);
        return true;
    case Qt::Key_Up:
        view_.Navigate(Nav::Up);
        return true;
    case Qt::Key_Down:
        view_.Navigate(Nav::Down);
        return true;
    default:
        return false;
    }
}

void PlaylistList::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (key == Qt::Key_Shift || key == Qt::Key_Control) {
        // Holding a key repeats its press; the Shift anchor is set once.
        if (!event->isAutoRepeat())
            FollowModifiers(key == Qt::Key_Shift ? modifiers | Qt::ShiftModifier
                                                 : modifiers | Qt::ControlModifier);
        return;
    }
    FollowModifiers(modifiers);
    if (Navigate(key))
        return;
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (key == Qt::Key_Delete) {
        view_.RemoveRows(false);
    } else if (key == Qt::Key_Asterisk && keypad) {
        view_.InvertSelection();
    } else if (key == Qt::Key_Plus && keypad) {
        view_.SelectAll();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        view_.ActivateFirstSelected();
    } else if (!event->text().isEmpty() && event->text().front().isLetterOrNumber() &&
               !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        emit KeyForFindBox(event);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void PlaylistList::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat())
        return;
    if (event->key() == Qt::Key_Shift)
        FollowModifiers(event->modifiers() & ~Qt::ShiftModifier);
    else if (event->key() == Qt::Key_Control)
        FollowModifiers(event->modifiers() & ~Qt::ControlModifier);
    else
        QAbstractScrollArea::keyReleaseEvent(event);
}

void PlaylistList::focusOutEvent(QFocusEvent* event) {
    view_.FocusLost();
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace zeb
