// The minibar: a one-line, always-on-top bar with the transport buttons, a
// seek bar that shows the title and time, a volume bar and a tool strip.
#pragma once

#include "shell/MinibarView.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace zeb {

class ActiveWindowWatcher;
class CMainWnd;

// What the bar asks of the program around it.
struct MinibarHost {
    // A tool-strip zone other than closing and dragging.
    std::function<void(MinibarTool)> runTool;
    // The right button: the main menu at the cursor.
    std::function<void()> showMenu;
    // The status displays, after a seek.
    std::function<void()> refreshStatus;
};

// Dialog 100 in its MP3 or CD variant. It is never activated: clicks act
// without taking the focus from the window the user works in. Closing
// stores its placement in the settings and destroys it (Closed first).
// With DockMinibar on it sits in the active window's title bar, following
// the window manager's reports; without a manager that reports the active
// window it floats.
class Minibar : public QWidget {
    Q_OBJECT
public:
    Minibar(CMainWnd& wnd, MinibarHost host, bool cd, QWidget* parent = nullptr);
    ~Minibar() override;

    bool IsCd() const { return cd_; }
    // The refresh of the status displays; ignored while the seek bar is dragged.
    void ShowStatus(const std::string& title, const std::string& time, int perMille);
    void ShowVolume(int volume);
    // Stores SeekBarX/Y/W and SBDockR/B from the bar's place.
    void StorePlacement();
    // DockMinibar was switched: start or stop following.
    void FollowSettingChanged();
    // Applies the following rule now.
    void FollowActiveWindowNow();

    // For tests: what the bars show.
    bool SeekDragging() const { return dragging_; }
    int SeekPosition() const { return perMille_; }
    const std::string& TitleText() const { return title_; }
    const std::string& TimeText() const { return time_; }
    int VolumePosition() const { return volume_; }

signals:
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* AddPart(int controlId);
    void LayOut();
    MbRect WorkArea() const;
    MbRect Desktop() const;
    MbRect Frame() const;
    void SetFrame(const MbRect& r);
    void ScheduleFollow();

    void PaintSeekBar(QWidget* bar);
    void PaintVolumeBar(QWidget* bar);
    void PaintBarText(QPainter& p, QWidget* bar, int filled, const QString& left,
                      const QString& right, bool centred);
    int TimeColumnWidth() const;

    void ButtonsPressed(int x);
    bool SeekMouse(QEvent::Type type, QMouseEvent* e, QWidget* bar);
    bool VolumeMouse(QEvent::Type type, QMouseEvent* e, QWidget* bar);
    bool ToolsMouse(QEvent::Type type, QMouseEvent* e, QWidget* strip);
    void ShowSeekPreview(int x, int width);
    bool EdgeMouse(QEvent::Type type, QMouseEvent* e, QWidget* part);

    CMainWnd& wnd_;
    MinibarHost host_;
    const bool cd_;
    MinibarMetrics metrics_;
    QWidget* buttons_ = nullptr;
    QWidget* seek_ = nullptr;
    QWidget* volumeBar_ = nullptr;
    QWidget* tools_ = nullptr;
    QPixmap buttonsImage_;
    QPixmap toolsImage_;
    QFont barFont_;

    std::string title_;
    std::string time_;
    int perMille_ = 0;
    int volume_ = 0;
    bool dragging_ = false;
    int seekLengthSec_ = 0; // the dragged track's length
    int seekTrack_ = 0;     // the dragged CD track

    // Moving and resizing by the mouse.
    enum class Drag { None, Move, LeftEdge, RightEdge };
    Drag drag_ = Drag::None;
    QPoint dragStart_;
    MbRect dragFrame_;
    MinibarSnap snap_;

    ActiveWindowWatcher* watcher_ = nullptr;
    QTimer followTimer_;
    QElapsedTimer sinceFollow_;
    bool closed_ = false;
};

} // namespace zeb
