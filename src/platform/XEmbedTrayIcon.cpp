#include "platform/XEmbedTrayIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <xcb/xcb.h>

namespace zeb {

namespace {

constexpr std::uint32_t kXEmbedVersion = 0;
constexpr std::uint32_t kXEmbedMapped = 1;
constexpr std::uint32_t kSystemTrayRequestDock = 0;
constexpr int kDefaultSize = 22;
// How long a host may take to lay a docked icon out, and how often the dock
// request is repeated when it does not. Each repeat waits twice as long, as a
// host that is slow once is usually slow for a while.
constexpr int kEmbeddingCheckMs = 2000;
constexpr int kMaxRedocks = 5;
// A parent narrower than this shows nothing usable of the icon.
constexpr int kMinVisibleSize = 8;
// How long the pointer rests on the icon before the tooltip shows.
constexpr int kToolTipDelayMs = 700;
// One notch of the wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;

constexpr std::uint32_t kIconEvents = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                      XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                      XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_EXPOSURE |
                                      XCB_EVENT_MASK_STRUCTURE_NOTIFY;

// X's buttons 1 to 3; the wheel's buttons (4 and up) are not clicks.
std::optional<TrayButton> ButtonOf(int button) {
    switch (button) {
    case 1:
        return TrayButton::Left;
    case 2:
        return TrayButton::Middle;
    case 3:
        return TrayButton::Right;
    default:
        return std::nullopt;
    }
}

// The icon drawn over the window's background: `icon` centred on a
// transparent canvas of the window's size.
QImage Centred(const QImage& icon, int width, int height) {
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    const QImage source = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int left = (width - source.width()) / 2;
    const int top = (height - source.height()) / 2;
    for (int y = std::max(0, -top); y < source.height() && top + y < height; ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(canvas.scanLine(top + y));
        for (int x = std::max(0, -left); x < source.width() && left + x < width; ++x)
            to[left + x] = from[x];
    }
    return canvas;
}

// Index of the screen whose root window is root, as in "_NET_SYSTEM_TRAY_S<n>".
int ScreenIndexOf(xcb_connection_t* connection, xcb_window_t root) {
    int index = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
         xcb_screen_next(&it), ++index) {
        if (it.data->root == root)
            return index;
    }
    return 0;
}

} // namespace

XEmbedTrayIcon::XEmbedTrayIcon(QObject* parent) : QObject(parent) {
    tipDelay_.setSingleShot(true);
    tipDelay_.setInterval(kToolTipDelayMs);
    connect(&tipDelay_, &QTimer::timeout, this, &XEmbedTrayIcon::ShowToolTip);
}

XEmbedTrayIcon::~XEmbedTrayIcon() {
    HideToolTip();
    if (connection_)
        qApp->removeNativeEventFilter(this);
}

TrayCapabilities XEmbedTrayIcon::Capabilities() const {
    return {.pressRelease = true, .move = true, .wheel = true};
}

void XEmbedTrayIcon::SetCallbacks(TrayCallbacks callbacks) {
    callbacks_ = std::move(callbacks);
}

void XEmbedTrayIcon::SetIcon(const QIcon& icon) {
    icon_ = icon;
    Paint();
}

void XEmbedTrayIcon::SetToolTip(const QString& text) {
    toolTip_ = PlainTextToolTip(text);
    // The icon window's name carries the tip too, for hosts and tools that
    // read window names (accessibility, scripts).
    name_ = text;
    window_.SetName(name_);
    // A tip on show follows the text (the playing time moves on in it).
    if (tipShown_ && QToolTip::isVisible())
        ShowToolTip();
}

bool XEmbedTrayIcon::Show() {
    wanted_ = true;
    if (!PrepareX11())
        return false;
    ListenForTrayManager();
    return RequestDock();
}

void XEmbedTrayIcon::Hide() {
    wanted_ = false;
    docked_ = false;
    embedded_ = false;
    tipDelay_.stop();
    HideToolTip();
    // Destroying the window takes it out of the host's panel; a later Show()
    // creates a fresh one.
    window_.Destroy();
}

// The window is made unmapped: the host maps it once it has taken it.
bool XEmbedTrayIcon::PrepareX11() {
    if (!window_.Exists()) {
        const QRgb background = QGuiApplication::palette().color(QPalette::Window).rgb();
        if (!window_.Create(kDefaultSize, kDefaultSize, kIconEvents, background))
            return false;
        width_ = height_ = kDefaultSize;
        window_.SetName(name_);
    }
    if (!connection_) {
        connection_ = X11Window::Connection();
        qApp->installNativeEventFilter(this);
    }
    const xcb_window_t window = window_.Id();
    root_ = window_.Root();

    const std::string selection =
        "_NET_SYSTEM_TRAY_S" + std::to_string(ScreenIndexOf(connection_, root_));
    selectionAtom_ = Atom(selection.c_str());
    managerAtom_ = Atom("MANAGER");

    const std::uint32_t info[] = {kXEmbedVersion, kXEmbedMapped};
    const xcb_atom_t infoAtom = Atom("_XEMBED_INFO");
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, infoAtom, infoAtom, 32, 2,
                        info);
    SetSizeHints();
    return true;
}

// Tray hosts read the icon's size from WM_NORMAL_HINTS as soon as they take it.
void XEmbedTrayIcon::SetSizeHints() {
    constexpr std::uint32_t kMinSize = 1 << 4;
    constexpr std::uint32_t kBaseSize = 1 << 8;
    std::uint32_t hints[18] = {};
    hints[0] = kMinSize | kBaseSize;
    hints[5] = kDefaultSize;
    hints[6] = kDefaultSize;
    hints[15] = hints[5];
    hints[16] = hints[6];
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_.Id(), XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

std::uint32_t XEmbedTrayIcon::TrayOwner() const {
    auto* reply = xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, selectionAtom_), nullptr);
    if (!reply)
        return XCB_WINDOW_NONE;
    const xcb_window_t owner = reply->owner;
    std::free(reply);
    return owner;
}

bool XEmbedTrayIcon::RequestDock() {
    const xcb_window_t owner = TrayOwner();
    if (owner == XCB_WINDOW_NONE)
        return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = owner;
    message.type = Atom("_NET_SYSTEM_TRAY_OPCODE");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = kSystemTrayRequestDock;
    message.data.data32[2] = window_.Id();
    xcb_send_event(connection_, 0, owner, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
    docked_ = true;
    return true;
}

// A new tray host announces itself with a MANAGER message on the root
// window, sent with the structure-notify mask, so we add that mask to ours.
void XEmbedTrayIcon::ListenForTrayManager() {
    auto* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, root_), nullptr);
    if (!attributes)
        return;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    std::free(attributes);
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

bool XEmbedTrayIcon::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !wanted_ || !window_.Exists())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    if (type == XCB_CLIENT_MESSAGE) {
        const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (client->window == root_ && client->type == managerAtom_ &&
            client->data.data32[1] == selectionAtom_ && !embedded_) {
            redocks_ = 0; // a new host gets the full number of tries
            RequestDock();
        }
        return false;
    }
    return HandleWindowEvent(event, type);
}

// The events of the icon's own window, which Qt does not know; true when
// the event was one of them.
bool XEmbedTrayIcon::HandleWindowEvent(const void* event, int type) {
    const xcb_window_t window = window_.Id();
    switch (type) {
    case XCB_REPARENT_NOTIFY: {
        const auto* reparent = static_cast<const xcb_reparent_notify_event_t*>(event);
        if (reparent->window != window)
            return false;
        OnReparented(reparent->parent);
        return true;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto* configure = static_cast<const xcb_configure_notify_event_t*>(event);
        if (configure->window != window)
            return false;
        OnResizedByHost(configure->width, configure->height);
        return true;
    }
    case XCB_EXPOSE: {
        const auto* expose = static_cast<const xcb_expose_event_t*>(event);
        if (expose->window != window)
            return false;
        if (expose->count == 0)
            Paint();
        return true;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
        const auto* button = static_cast<const xcb_button_press_event_t*>(event);
        if (button->event != window)
            return false;
        OnButton(button->detail, type == XCB_BUTTON_PRESS, button->root_x, button->root_y);
        return true;
    }
    case XCB_MOTION_NOTIFY: {
        const auto* motion = static_cast<const xcb_motion_notify_event_t*>(event);
        if (motion->event != window)
            return false;
        pointer_ = Logical(motion->root_x, motion->root_y);
        if (!tipShown_)
            tipDelay_.start(); // the tip waits for the pointer to rest
        if (callbacks_.move)
            callbacks_.move(pointer_.x(), pointer_.y());
        return true;
    }
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY: {
        const auto* crossing = static_cast<const xcb_enter_notify_event_t*>(event);
        if (crossing->event != window)
            return false;
        pointer_ = Logical(crossing->root_x, crossing->root_y);
        if (type == XCB_ENTER_NOTIFY && crossing->mode == XCB_NOTIFY_MODE_NORMAL) {
            tipDelay_.start();
        } else if (type == XCB_LEAVE_NOTIFY) {
            tipDelay_.stop();
            HideToolTip();
        }
        return true;
    }
    default:
        return false;
    }
}

void XEmbedTrayIcon::OnButton(int button, bool pressed, int rootX, int rootY) {
    tipDelay_.stop();
    HideToolTip();
    const QPoint at = Logical(rootX, rootY);
    if (button == 4 || button == 5) {
        if (pressed && callbacks_.wheel)
            callbacks_.wheel(button == 4 ? kWheelNotch : -kWheelNotch);
        return;
    }
    const auto trayButton = ButtonOf(button);
    if (!trayButton)
        return;
    const auto& callback = pressed ? callbacks_.buttonDown : callbacks_.buttonUp;
    if (callback)
        callback(*trayButton, at.x(), at.y());
}

// Screen pixels as Qt's windows and menus count them.
QPoint XEmbedTrayIcon::Logical(int rootX, int rootY) const {
    const qreal ratio = std::max<qreal>(1.0, qApp->devicePixelRatio());
    return QPoint(qRound(rootX / ratio), qRound(rootY / ratio));
}

void XEmbedTrayIcon::ShowToolTip() {
    if (toolTip_.isEmpty() || !window_.Exists())
        return;
    QToolTip::showText(pointer_, toolTip_);
    tipShown_ = true;
}

void XEmbedTrayIcon::HideToolTip() {
    if (!tipShown_)
        return;
    tipShown_ = false;
    QToolTip::hideText();
}

void XEmbedTrayIcon::OnReparented(std::uint32_t parent) {
    const bool inTray = parent != root_;
    if (inTray == embedded_)
        return;
    embedded_ = inTray;
    docked_ = inTray;
    if (!inTray) {
        // The host went away and handed the window back: wait for the next one.
        xcb_unmap_window(connection_, window_.Id());
        xcb_flush(connection_);
        return;
    }
    // The host maps the window (_XEMBED_INFO says so) once it has taken it;
    // a window mapped on the root before that is laid out by a busy host as
    // if it had no size.
    xcb_map_window(connection_, window_.Id());
    nudged_ = false;
    AskForOurSize();
    ScheduleEmbeddingCheck();
    if (callbacks_.docked)
        callbacks_.docked();
}

// Asking for our size again makes a host that sized the icon before it read
// our hints look at them again.
void XEmbedTrayIcon::AskForOurSize() {
    const std::uint32_t size[] = {kDefaultSize, kDefaultSize};
    xcb_configure_window(connection_, window_.Id(),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(connection_);
}

// A host that laid the icon out before it read our size hints shrinks it to
// next to nothing (one pixel under trayer). Asking for our size at once
// makes it lay the icon out again; asked once per docking, so a host that
// really has no more room is not asked over and over.
void XEmbedTrayIcon::OnResizedByHost(int width, int height) {
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        Paint();
    }
    if (!embedded_ || nudged_ || (width >= kMinVisibleSize && height >= kMinVisibleSize))
        return;
    nudged_ = true;
    AskForOurSize();
}

void XEmbedTrayIcon::ScheduleEmbeddingCheck() {
    QTimer::singleShot(kEmbeddingCheckMs << std::min(redocks_, kMaxRedocks), this,
                       &XEmbedTrayIcon::VerifyEmbedding);
}

// A busy host (trayer among them) may take the icon but never lay it out:
// the icon stays in a slot with no room for it. The icon first asks for its
// size again, which costs the host little; if that does not help it asks to
// be docked again, a few times at most, waiting longer each time.
void XEmbedTrayIcon::VerifyEmbedding() {
    if (!wanted_ || !embedded_ || !connection_)
        return;
    if (ShownByHost()) {
        redocks_ = 0;
        return;
    }
    if (!nudged_) {
        nudged_ = true;
        AskForOurSize();
        ScheduleEmbeddingCheck();
        return;
    }
    if (++redocks_ > kMaxRedocks)
        return;
    Hide();
    Show();
}

// Mapped by the host inside a parent wide enough to show some of it.
bool XEmbedTrayIcon::ShownByHost() const {
    const xcb_window_t window = window_.Id();
    auto* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr);
    if (!attributes)
        return false;
    const bool viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    if (!viewable)
        return false;
    auto* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
    if (!tree)
        return false;
    const xcb_window_t parent = tree->parent;
    std::free(tree);
    auto* geometry =
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, parent), nullptr);
    if (!geometry)
        return false;
    const bool roomy = geometry->width >= kMinVisibleSize && geometry->height >= kMinVisibleSize;
    std::free(geometry);
    return roomy;
}

// The icon at its own size or smaller, never enlarged, in the middle.
void XEmbedTrayIcon::Paint() {
    if (!window_.Exists() || width_ <= 0 || height_ <= 0)
        return;
    const QPixmap pixmap = icon_.isNull() ? QPixmap() : icon_.pixmap(QSize(width_, height_), 1.0);
    if (pixmap.isNull()) {
        window_.Clear();
        return;
    }
    window_.Draw(Centred(pixmap.toImage(), width_, height_), 0, 0);
}

} // namespace zeb
