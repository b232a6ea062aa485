#pragma once

#include <QAbstractScrollArea>
#include <QTimer>

namespace zeb {

class PlaylistView;

// The rows of the playlist window: paints only the rows in sight, straight
// from the view (no item per row), so very long lists open and scroll at
// once. Mouse and keys go to the view's rules; the view says what is
// selected, where the caret is and which row is on top.
class PlaylistList : public QAbstractScrollArea {
    Q_OBJECT
public:
    PlaylistList(PlaylistView& view, QWidget* parent = nullptr);

    // Follows the view's row count and top row, then repaints.
    void SyncRows();
    // The height of one row: the font's height and its leading.
    int RowHeight() const;
    // The row at `y` in the viewport, or -1 below the last row.
    int RowAt(int y) const;
    // The rows drawn by the last paint: [first, first + count).
    int FirstPaintedRow() const { return firstPainted_; }
    int PaintedRowCount() const { return paintedCount_; }

signals:
    // A letter or digit typed in the list: it belongs to the find box.
    void KeyForFindBox(QKeyEvent* event);
    // The right button was released over the list at this screen position.
    void ContextMenuWanted(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void PaintRow(QPainter& painter, int row, const QRect& rect, int charWidth);
    void FollowModifiers(Qt::KeyboardModifiers modifiers);
    bool Navigate(int key);
    // One step of a drag with the pointer at viewport height `y`.
    void DragStep(int y);
    bool InScrollZone(int y) const;
    void ScrollToShow(int row);

    PlaylistView& view_;
    bool syncing_ = false;
    bool dragging_ = false; // the left button is down after a press on a row
    int dragY_ = 0;
    QTimer dragScroll_; // repeats a drag step while the pointer stays near an edge
    int firstPainted_ = 0;
    int paintedCount_ = 0;
};

} // namespace zeb
