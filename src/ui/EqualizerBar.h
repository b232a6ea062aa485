#pragma once

#include <QAbstractSlider>

namespace zeb {

// One vertical bar of the equalizer window, positions 0 (bottom) to 20 (top).
// It is drawn as a filled column cut into segments by 19 scale lines, the
// middle one long. A press of the left button, or a move with it held, sets
// the position the pointer points at; keys and the wheel step it. Every change
// the user makes is reported by Moved; changes made by code are not.
class EqualizerBar : public QAbstractSlider {
    Q_OBJECT
public:
    explicit EqualizerBar(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Moved(int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void MoveToPointer(int y, bool pressed);
    void ReportIfChanged(int before);
};

} // namespace zeb
