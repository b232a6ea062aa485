#include "platform/XEmbedTrayIcon.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
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

std::optional<TrayButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return TrayButton::Left;
    case Qt::MiddleButton:
        return TrayButton::Middle;
    case Qt::RightButton:
        return TrayButton::Right;
    default:
        return std::nullopt;
    }
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

XEmbedTrayIcon::XEmbedTrayIcon(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint) {
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAttribute(Qt::WA_QuitOnClose, false);
    setMouseTracking(true);
    // Tray hosts size the icon from the window's minimum size hint.
    setMinimumSize(kDefaultSize, kDefaultSize);
    resize(kDefaultSize, kDefaultSize);
}

XEmbedTrayIcon::~XEmbedTrayIcon() {
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
    update();
}

void XEmbedTrayIcon::SetToolTip(const QString& text) {
    setToolTip(PlainTextToolTip(text));
    // The icon window's name carries the tip too, for hosts and tools that
    // read window names (accessibility, scripts).
    setWindowTitle(text);
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
    // Destroying the native window takes it out of the host's panel; a later
    // Show() creates a fresh one.
    destroy();
}

bool XEmbedTrayIcon::PrepareX11() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    if (!connection_) {
        connection_ = x11->connection();
        qApp->installNativeEventFilter(this);
    }
    const xcb_window_t window = winId();
    auto* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
    if (!tree)
        return false;
    root_ = tree->root;
    std::free(tree);

    const std::string selection =
        "_NET_SYSTEM_TRAY_S" + std::to_string(ScreenIndexOf(connection_, root_));
    selectionAtom_ = Atom(selection.c_str());
    managerAtom_ = Atom("MANAGER");

    const std::uint32_t info[] = {kXEmbedVersion, kXEmbedMapped};
    const xcb_atom_t infoAtom = Atom("_XEMBED_INFO");
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, infoAtom, infoAtom, 32, 2,
                        info);
    SetSizeHints(window);
    IgnorePropertyChanges(window);
    return true;
}

// Qt asks to hear of every property change of its windows. The icon's name,
// which carries the tip, changes once a second while a track plays, and
// each change came back as two notices that woke the event threads; nothing
// follows the properties of a window the host embeds.
void XEmbedTrayIcon::IgnorePropertyChanges(std::uint32_t window) {
    auto* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr);
    if (!attributes)
        return;
    const std::uint32_t mask = attributes->your_event_mask & ~XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
}

// Tray hosts read the icon's size from WM_NORMAL_HINTS as soon as they take
// it; Qt writes those only when the window is shown, which is after the dock
// request, so the hints are written here first.
void XEmbedTrayIcon::SetSizeHints(std::uint32_t window) {
    constexpr std::uint32_t kMinSize = 1 << 4;
    constexpr std::uint32_t kBaseSize = 1 << 8;
    std::uint32_t hints[18] = {};
    hints[0] = kMinSize | kBaseSize;
    hints[5] = static_cast<std::uint32_t>(minimumWidth());
    hints[6] = static_cast<std::uint32_t>(minimumHeight());
    hints[15] = hints[5];
    hints[16] = hints[6];
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, 18, hints);
}

std::uint32_t XEmbedTrayIcon::Atom(const char* name) const {
    auto* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
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
    message.data.data32[2] = winId();
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
    if (eventType != "xcb_generic_event_t" || !wanted_ || !testAttribute(Qt::WA_WState_Created))
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
        if (client->window == root_ && client->type == managerAtom_ &&
            client->data.data32[1] == selectionAtom_ && !embedded_) {
            redocks_ = 0; // a new host gets the full number of tries
            RequestDock();
        }
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
        if (reparent->window == winId())
            OnReparented(reparent->parent);
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        if (configure->window == winId())
            OnResizedByHost(configure->width, configure->height);
        break;
    }
    default:
        break;
    }
    return false;
}

void XEmbedTrayIcon::OnReparented(std::uint32_t parent) {
    const bool inTray = parent != root_;
    if (inTray == embedded_)
        return;
    embedded_ = inTray;
    docked_ = inTray;
    if (!inTray) {
        // The host went away and handed the window back: wait for the next one.
        hide();
        return;
    }
    // The host maps the window (_XEMBED_INFO says so) once it has taken it;
    // a window mapped on the root before that is laid out by a busy host as
    // if it had no size.
    show();
    nudged_ = false;
    AskForOurSize();
    ScheduleEmbeddingCheck();
    if (callbacks_.docked)
        callbacks_.docked();
}

// Asking for our size again makes a host that sized the icon before it read
// our hints look at them again.
void XEmbedTrayIcon::AskForOurSize() {
    const std::uint32_t size[] = {static_cast<std::uint32_t>(minimumWidth()),
                                  static_cast<std::uint32_t>(minimumHeight())};
    xcb_configure_window(connection_, winId(), XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         size);
    xcb_flush(connection_);
}

// A host that laid the icon out before it read our size hints shrinks it to
// next to nothing (one pixel under trayer). Asking for our size at once
// makes it lay the icon out again; asked once per docking, so a host that
// really has no more room is not asked over and over.
void XEmbedTrayIcon::OnResizedByHost(int width, int height) {
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
    const xcb_window_t window = winId();
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

void XEmbedTrayIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!icon_.isNull())
        icon_.paint(&painter, rect());
}

void XEmbedTrayIcon::mousePressEvent(QMouseEvent* event) {
    const auto button = ButtonOf(event->button());
    const QPoint at = event->globalPosition().toPoint();
    if (button && callbacks_.buttonDown)
        callbacks_.buttonDown(*button, at.x(), at.y());
}

void XEmbedTrayIcon::mouseReleaseEvent(QMouseEvent* event) {
    const auto button = ButtonOf(event->button());
    const QPoint at = event->globalPosition().toPoint();
    if (button && callbacks_.buttonUp)
        callbacks_.buttonUp(*button, at.x(), at.y());
}

void XEmbedTrayIcon::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->globalPosition().toPoint();
    if (callbacks_.move)
        callbacks_.move(at.x(), at.y());
}

void XEmbedTrayIcon::wheelEvent(QWheelEvent* event) {
    if (callbacks_.wheel)
        callbacks_.wheel(event->angleDelta().y());
}

} // namespace zeb
