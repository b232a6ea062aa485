#include "ui/Minibar.h"

#include "platform/ActiveWindowWatcher.h"
#include "resources/ImageNames.h"
#include "resources/ResourceIds.h"
#include "shell/CdController.h"
#include "shell/MainWnd.h"
#include "shell/StatusText.h"
#include "ui/DialogControls.h"
#include "ui/DroppedPaths.h"
#include "ui/SkinImages.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <unistd.h>

namespace zeb {

namespace {

// The Part's follow timer: the bar follows at most this often.
constexpr int kFollowPeriodMs = 100;
// The outermost pixels at the bar's left and right ends resize it.
constexpr int kSizingEdge = 2;
// Text in the bars, close to a 7-point small font.
constexpr int kBarFontPixels = 9;
// The time column: 6.5 (with the total time) or 3.5 horizontal dialog base
// units of 6 pixels; wider when the font needs it.
constexpr int kBaseUnit = 6;

QRect ToQRect(const MbRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

MbRect ToMbRect(const QRect& r) {
    return MbRect::At(r.x(), r.y(), r.width(), r.height());
}

QPixmap StripImage(BitmapId id) {
    return QPixmap::fromImage(KeyOutMagenta(BuiltInImage(ImagePath(id))));
}

} // namespace

Minibar::Minibar(CMainWnd& wnd, MinibarHost host, bool cd, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      wnd_(wnd), host_(std::move(host)), cd_(cd) {
    setObjectName(QStringLiteral("dlg-%1").arg(IDD_MINIBAR));
    setWindowTitle(QStringLiteral("ZEB MiniBar"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAcceptDrops(!cd);

    buttons_ = AddPart(IDC_MINIBAR_BUTTONS);
    seek_ = AddPart(IDC_MINIBAR_SEEK);
    volumeBar_ = AddPart(IDC_MINIBAR_VOLUME);
    tools_ = AddPart(IDC_MINIBAR_TOOLS);
    buttonsImage_ = StripImage(BitmapId::MiniButtons);
    toolsImage_ = StripImage(cd ? BitmapId::CdTools : BitmapId::Mp3Tools);
    barFont_ = font();
    barFont_.setPixelSize(kBarFontPixels);

    setFixedHeight(metrics_.height);
    setMinimumWidth(kMinibarMinWidth);
    volume_ = wnd.Volume();
    SetFrame(MinibarStartRect(wnd, metrics_, WorkArea(), Desktop()));

    followTimer_.setSingleShot(true);
    connect(&followTimer_, &QTimer::timeout, this, &Minibar::FollowActiveWindowNow);
    sinceFollow_.start();
    FollowSettingChanged();
}

Minibar::~Minibar() = default;

QWidget* Minibar::AddPart(int controlId) {
    auto* part = new QWidget(this);
    SetControlId(part, controlId);
    part->setMouseTracking(true);
    part->installEventFilter(this);
    return part;
}

void Minibar::LayOut() {
    const MinibarLayout l = LayoutMinibar(width(), metrics_);
    const int h = metrics_.height;
    buttons_->setGeometry(0, 0, metrics_.seekLeft, h);
    seek_->setGeometry(l.seekLeft, 0, l.seekWidth, h);
    volumeBar_->setGeometry(l.volumeLeft, 0, metrics_.volumeWidth, h);
    tools_->setGeometry(l.toolsLeft, 0, metrics_.toolsWidth, h);
    update();
}

void Minibar::resizeEvent(QResizeEvent*) {
    LayOut();
}

MbRect Minibar::WorkArea() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? ToMbRect(s->availableGeometry()) : MbRect::At(0, 0, 1024, 768);
}

MbRect Minibar::Desktop() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? ToMbRect(s->geometry()) : MbRect::At(0, 0, 1024, 768);
}

MbRect Minibar::Frame() const {
    return ToMbRect(geometry());
}

void Minibar::SetFrame(const MbRect& r) {
    setGeometry(ToQRect(r));
}

// ------------------------------------------------------------------ status

void Minibar::ShowStatus(const std::string& title, const std::string& time, int perMille) {
    if (dragging_)
        return;
    if (title == title_ && time == time_ && perMille == perMille_)
        return;
    title_ = title;
    time_ = time;
    perMille_ = std::clamp(perMille, 0, 1000);
    seek_->update();
}

void Minibar::ShowVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    volumeBar_->update();
}

// ------------------------------------------------------------------ painting

int Minibar::TimeColumnWidth() const {
    const bool total = wnd_.ShowTTT == 1;
    const int baseWidth = total ? kBaseUnit * 13 / 2 : kBaseUnit * 7 / 2;
    const QFontMetrics fm(barFont_);
    return std::max(baseWidth, fm.horizontalAdvance(total ? "00:00/00:00" : "00:00") + 2);
}

// Each text is drawn twice: in the text colour over the whole bar, then in
// the highlight's text colour over the filled part.
void Minibar::PaintBarText(QPainter& p, QWidget* bar, int filled, const QString& left,
                           const QString& right, bool centred) {
    const QRect all = bar->rect();
    const int timeWidth = right.isEmpty() ? 0 : TimeColumnWidth();
    const QRect leftRect(2, 0, std::max(0, all.width() - 2 - timeWidth), all.height());
    const QRect rightRect(all.width() - timeWidth - 2, 0, timeWidth, all.height());
    const QColor colours[] = {palette().color(QPalette::WindowText),
                              palette().color(QPalette::HighlightedText)};
    for (int pass = 0; pass < 2; ++pass) {
        p.save();
        if (pass == 1)
            p.setClipRect(QRect(0, 0, filled, all.height()));
        p.setPen(colours[pass]);
        if (centred) {
            p.drawText(all, Qt::AlignCenter | Qt::TextSingleLine, left);
        } else {
            p.drawText(leftRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, left);
            p.drawText(rightRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, right);
        }
        p.restore();
    }
}

void Minibar::PaintSeekBar(QWidget* bar) {
    QPainter p(bar);
    p.setFont(barFont_);
    p.fillRect(bar->rect(), palette().color(QPalette::Button));
    const int filled = bar->width() * perMille_ / 1000;
    p.fillRect(QRect(0, 0, filled, bar->height()), palette().color(QPalette::Highlight));
    if (title_.empty()) {
        PaintBarText(p, bar, filled, cd_ ? "ZEB CD player" : "ZEB MP3 player", QString(), true);
        return;
    }
    PaintBarText(p, bar, filled, FromUtf8(title_), FromUtf8(time_), false);
}

void Minibar::PaintVolumeBar(QWidget* bar) {
    QPainter p(bar);
    p.setFont(barFont_);
    p.fillRect(bar->rect(), palette().color(QPalette::Button));
    const int filled = bar->width() * volume_ / 100;
    p.fillRect(QRect(0, 0, filled, bar->height()), palette().color(QPalette::Highlight));
    PaintBarText(p, bar, filled, QString::asprintf("%3d%%", volume_), QString(), true);
}

bool Minibar::eventFilter(QObject* watched, QEvent* event) {
    auto* part = qobject_cast<QWidget*>(watched);
    if (!part || part->parentWidget() != this)
        return QWidget::eventFilter(watched, event);
    // A quick second click is a press like the first (Next, Next).
    const QEvent::Type type =
        event->type() == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : event->type();
    if (type == QEvent::Paint) {
        if (part == seek_) {
            PaintSeekBar(part);
        } else if (part == volumeBar_) {
            PaintVolumeBar(part);
        } else {
            QPainter p(part);
            p.fillRect(part->rect(), palette().color(QPalette::Button));
            p.drawPixmap(0, 0, part == buttons_ ? buttonsImage_ : toolsImage_);
        }
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseMove)
        return false;
    auto* e = static_cast<QMouseEvent*>(event);
    if (EdgeMouse(type, e, part))
        return true;
    if (type == QEvent::MouseButtonRelease && e->button() == Qt::RightButton &&
        !(part == seek_ && dragging_ && !cd_)) {
        host_.showMenu();
        return true;
    }
    if (part == seek_)
        return SeekMouse(type, e, part);
    if (part == volumeBar_)
        return VolumeMouse(type, e, part);
    if (part == tools_)
        return ToolsMouse(type, e, part);
    if (type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton)
        ButtonsPressed(e->position().toPoint().x());
    return true;
}

// ------------------------------------------------------------------ mouse

void Minibar::ButtonsPressed(int x) {
    switch (ButtonAt(x, buttons_->width())) {
    case MinibarButton::Play:
        wnd_.Play();
        break;
    case MinibarButton::Pause:
        wnd_.Pause();
        break;
    case MinibarButton::Stop:
        wnd_.StopCommand();
        break;
    case MinibarButton::Previous:
        wnd_.StepTrack(false);
        break;
    case MinibarButton::Next:
        wnd_.StepTrack(true);
        break;
    }
}

void Minibar::ShowSeekPreview(int x, int width) {
    perMille_ = SeekPerMille(x, width);
    time_ =
        SeekPreviewText(seekLengthSec_, perMille_, wnd_.ShowRemainingTime == 1, wnd_.ShowTTT == 1);
    seek_->update();
}

// The seek bar works while the engine can seek (MP3) or the disc plays (CD):
// pressing and moving preview the target, releasing seeks there.
bool Minibar::SeekMouse(QEvent::Type type, QMouseEvent* e, QWidget* bar) {
    const int x = e->position().toPoint().x();
    if (type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton) {
        if (cd_) {
            CdController& disc = wnd_.Cd();
            if (!wnd_.InCdMode() || disc.State() != CdController::Playing)
                return true;
            seekTrack_ = disc.PositionTrack();
            seekLengthSec_ = disc.TrackLengthSeconds(seekTrack_);
        } else {
            CMpegPlayer& player = wnd_.Player();
            if (!player.IsSeekable() || wnd_.Count() == 0)
                return true;
            const int index = std::clamp(wnd_.CurrentIndex(), 0, wnd_.Count() - 1);
            seekLengthSec_ =
                ChooseLengthSec(LengthFromInfoLine(wnd_.Model().InfoAt(index)), player.LengthMs());
        }
        dragging_ = true;
        ShowSeekPreview(x, bar->width());
    } else if (type == QEvent::MouseMove && dragging_) {
        ShowSeekPreview(x, bar->width());
    } else if (type == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        if (cd_) {
            if (wnd_.InCdMode()) {
                const int at =
                    std::min(int(int64_t{seekLengthSec_} * SeekPerMille(x, bar->width()) / 1000),
                             seekLengthSec_);
                wnd_.Cd().PlayFrom(seekTrack_, at);
            }
        } else if (wnd_.Player().IsSeekable()) {
            wnd_.Player().Seek(SeekPercent(x, bar->width()));
        }
        host_.refreshStatus();
    }
    return true;
}

bool Minibar::VolumeMouse(QEvent::Type type, QMouseEvent* e, QWidget* bar) {
    const bool press = type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton;
    const bool drag = type == QEvent::MouseMove && (e->buttons() & Qt::LeftButton);
    if (!press && !drag)
        return true;
    volume_ = VolumeAtX(e->position().toPoint().x(), bar->width());
    bar->update();
    wnd_.SetVolume(volume_);
    return true;
}

bool Minibar::ToolsMouse(QEvent::Type type, QMouseEvent* e, QWidget* strip) {
    if (type == QEvent::MouseMove && drag_ == Drag::Move) {
        // The window keeps its place while it follows the active window.
        if (wnd_.DockMinibar != 1) {
            const QPoint to = e->globalPosition().toPoint() - dragStart_;
            SetFrame(snap_.Moving(MbRect::At(dragFrame_.left + to.x(), dragFrame_.top + to.y(),
                                             dragFrame_.Width(), dragFrame_.Height()),
                                  WorkArea()));
        }
        return true;
    }
    if (type == QEvent::MouseButtonRelease && e->button() == Qt::LeftButton) {
        drag_ = Drag::None;
        return true;
    }
    if (type != QEvent::MouseButtonPress || e->button() != Qt::LeftButton)
        return true;
    const QPoint at = e->position().toPoint();
    const MinibarTool tool = ToolAt(at.x(), at.y(), strip->width(), strip->height(), cd_);
    if (tool == MinibarTool::Close) {
        close();
    } else if (tool == MinibarTool::Drag) {
        drag_ = Drag::Move;
        dragStart_ = e->globalPosition().toPoint();
        dragFrame_ = Frame();
    } else {
        host_.runTool(tool);
    }
    return true;
}

// The outermost pixels of the bar's two ends resize it (not while it
// follows the active window).
bool Minibar::EdgeMouse(QEvent::Type type, QMouseEvent* e, QWidget* part) {
    const QPoint at = part->mapTo(this, e->position().toPoint());
    const bool onLeft = at.x() < kSizingEdge;
    const bool onRight = at.x() >= width() - kSizingEdge;
    const bool sizable = wnd_.DockMinibar != 1;
    if (type == QEvent::MouseMove && drag_ != Drag::LeftEdge && drag_ != Drag::RightEdge) {
        if (sizable && (onLeft || onRight))
            part->setCursor(Qt::SizeHorCursor);
        else
            part->unsetCursor();
        return false;
    }
    if (type == QEvent::MouseButtonPress && e->button() == Qt::LeftButton && sizable &&
        (onLeft || onRight)) {
        drag_ = onLeft ? Drag::LeftEdge : Drag::RightEdge;
        dragStart_ = e->globalPosition().toPoint();
        dragFrame_ = Frame();
        return true;
    }
    if (drag_ != Drag::LeftEdge && drag_ != Drag::RightEdge)
        return false;
    if (type == QEvent::MouseMove) {
        const int dx = e->globalPosition().toPoint().x() - dragStart_.x();
        MbRect proposed = dragFrame_;
        (drag_ == Drag::LeftEdge ? proposed.left : proposed.right) += dx;
        SetFrame(SizingMinibar(Frame(), proposed, drag_ == Drag::LeftEdge));
    } else if (type == QEvent::MouseButtonRelease) {
        drag_ = Drag::None;
    }
    return true;
}

// ------------------------------------------------------------------ following

void Minibar::FollowSettingChanged() {
    const bool follow = wnd_.DockMinibar == 1 && QGuiApplication::platformName() == "xcb";
    if (!follow) {
        delete watcher_;
        watcher_ = nullptr;
        followTimer_.stop();
        return;
    }
    if (!watcher_) {
        watcher_ = new ActiveWindowWatcher(this);
        if (!watcher_->Start()) {
            delete watcher_;
            watcher_ = nullptr;
            return;
        }
        connect(watcher_, &ActiveWindowWatcher::Changed, this, &Minibar::ScheduleFollow);
    }
    ScheduleFollow();
}

// Reports come in bursts while a window is dragged: the bar follows at most
// once per period, and not at all while nothing changes.
void Minibar::ScheduleFollow() {
    if (followTimer_.isActive())
        return;
    followTimer_.start(int(std::max<qint64>(0, kFollowPeriodMs - sinceFollow_.elapsed())));
}

void Minibar::FollowActiveWindowNow() {
    sinceFollow_.restart();
    if (wnd_.DockMinibar != 1 || !watcher_ || !watcher_->Published())
        return;
    const ActiveWindowState a = watcher_->Current();
    ForegroundWindow f;
    f.exists = a.exists;
    f.ours = a.pid == uint32_t(::getpid());
    f.panel = a.panel;
    f.visible = a.visible;
    f.hasCaption = a.hasCaption;
    f.toolWindow = a.toolWindow;
    f.topmost = a.topmost;
    f.sizingBorder = a.sizingBorder;
    f.minimizeBox = a.minimizeBox;
    f.frame = MbRect::At(a.x, a.y, a.width, a.height);
    // The caption buttons are as wide as the title bar is high.
    f.captionButtonWidth = a.titleHeight;
    if (std::optional<MbRect> to = FollowActiveWindow(f, Frame(), WorkArea(), Desktop()))
        SetFrame(*to);
}

// ------------------------------------------------------------------ closing and drops

void Minibar::StorePlacement() {
    StoreMinibarPlacement(wnd_, Frame(), WorkArea(), cd_);
}

void Minibar::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        StorePlacement();
        emit Closed();
    }
    event->accept();
}

void Minibar::dragEnterEvent(QDragEnterEvent* event) {
    if (!cd_ && !LocalDroppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void Minibar::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = LocalDroppedPaths(event->mimeData());
    if (cd_ || paths.empty())
        return;
    event->acceptProposedAction();
    wnd_.AppendDropped(paths);
}

} // namespace zeb
