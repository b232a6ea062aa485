#include "platform/ActiveWindowWatcher.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>
#include <xcb/xcb.h>

namespace zeb {

namespace {

enum Atom {
    kActiveWindow,
    kSupported,
    kFrameExtents,
    kWindowType,
    kTypeDock,
    kTypeDesktop,
    kTypeToolbar,
    kTypeUtility,
    kTypeMenu,
    kTypeSplash,
    kTypeDropdownMenu,
    kTypePopupMenu,
    kTypeTooltip,
    kTypeNotification,
    kState,
    kStateAbove,
    kStateHidden,
    kPid,
    kAllowedActions,
    kActionResize,
    kActionMinimize,
    kAtomCount
};

constexpr std::string_view kAtomNames[kAtomCount] = {
    "_NET_ACTIVE_WINDOW",
    "_NET_SUPPORTED",
    "_NET_FRAME_EXTENTS",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_TOOLBAR",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_MENU",
    "_NET_WM_WINDOW_TYPE_SPLASH",
    "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_NET_WM_STATE",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_PID",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_RESIZE",
    "_NET_WM_ACTION_MINIMIZE",
};

template <typename T>
struct FreeReply {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply<T>>;

} // namespace

struct ActiveWindowWatcher::X {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t atoms[kAtomCount] = {};
    xcb_window_t active = 0; // the followed window
    xcb_window_t frame = 0;  // its top-level ancestor (the manager's frame)
    QSocketNotifier* notifier = nullptr;

    ~X() {
        // The notifier goes before the socket it watches.
        delete notifier;
        if (c)
            xcb_disconnect(c);
    }

    std::vector<uint32_t> Property(xcb_window_t w, Atom name) const {
        Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, atoms[name], XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr));
        if (!r || r->format != 32)
            return {};
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(r.get()));
        return std::vector<uint32_t>(data, data + xcb_get_property_value_length(r.get()) / 4);
    }

    bool Has(const std::vector<uint32_t>& list, Atom name) const {
        return std::find(list.begin(), list.end(), atoms[name]) != list.end();
    }

    xcb_window_t TopLevelOf(xcb_window_t w) const {
        for (;;) {
            Reply<xcb_query_tree_reply_t> t(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
            if (!t || t->parent == t->root || t->parent == XCB_NONE)
                return w;
            w = t->parent;
        }
    }

    void Select(xcb_window_t w, uint32_t mask) const {
        xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
    }
};

ActiveWindowWatcher::ActiveWindowWatcher(QObject* parent) : QObject(parent) {}

ActiveWindowWatcher::~ActiveWindowWatcher() = default;

bool ActiveWindowWatcher::Start() {
    if (x_)
        return true;
    auto x = std::make_unique<X>();
    int screenIndex = 0;
    x->c = xcb_connect(nullptr, &screenIndex);
    if (xcb_connection_has_error(x->c))
        return false;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < screenIndex && it.rem; ++i)
        xcb_screen_next(&it);
    x->root = it.data->root;
    xcb_intern_atom_cookie_t cookies[kAtomCount];
    for (int i = 0; i < kAtomCount; ++i)
        cookies[i] = xcb_intern_atom(x->c, 0, uint16_t(kAtomNames[i].size()), kAtomNames[i].data());
    for (int i = 0; i < kAtomCount; ++i) {
        Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(x->c, cookies[i], nullptr));
        x->atoms[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    x->Select(x->root, XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_flush(x->c);
    x->notifier = new QSocketNotifier(xcb_get_file_descriptor(x->c), QSocketNotifier::Read, this);
    connect(x->notifier, &QSocketNotifier::activated, this, &ActiveWindowWatcher::HandleEvents);
    x_ = std::move(x);
    std::vector<uint32_t> active = x_->Property(x_->root, kActiveWindow);
    Follow(active.empty() ? 0 : active[0]);
    DrainSoon();
    return true;
}

bool ActiveWindowWatcher::Published() {
    if (!x_)
        return false;
    DrainSoon();
    return x_->Has(x_->Property(x_->root, kSupported), kActiveWindow);
}

// Events on the root (the active window changed), on the active window (its
// frame extents, state or type changed, it was resized or unmapped) and on
// its frame (moved).
void ActiveWindowWatcher::HandleEvents() {
    bool changed = false;
    while (xcb_generic_event_t* e = xcb_poll_for_event(x_->c)) {
        switch (e->response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
            if (p->window == x_->root && p->atom == x_->atoms[kActiveWindow]) {
                std::vector<uint32_t> active = x_->Property(x_->root, kActiveWindow);
                Follow(active.empty() ? 0 : active[0]);
                changed = true;
            } else if (p->window == x_->root) {
                changed = changed || p->atom == x_->atoms[kSupported];
            } else {
                changed = true;
            }
            break;
        }
        case XCB_REPARENT_NOTIFY: {
            // The manager framed the window: its frame is watched instead.
            const xcb_window_t active = x_->active;
            Unfollow();
            Follow(active);
            changed = true;
            break;
        }
        case XCB_CONFIGURE_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_DESTROY_NOTIFY:
            changed = true;
            break;
        default:
            break;
        }
        std::free(e);
    }
    xcb_flush(x_->c);
    if (changed)
        emit Changed();
}

void ActiveWindowWatcher::Follow(uint32_t window) {
    if (window == x_->active && window != 0)
        return;
    Unfollow();
    x_->active = window;
    if (window == 0)
        return;
    x_->Select(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    x_->frame = x_->TopLevelOf(window);
    if (x_->frame != window)
        x_->Select(x_->frame, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    xcb_flush(x_->c);
}

void ActiveWindowWatcher::Unfollow() {
    if (x_->active)
        x_->Select(x_->active, 0);
    if (x_->frame && x_->frame != x_->active)
        x_->Select(x_->frame, 0);
    x_->active = x_->frame = 0;
}

ActiveWindowState ActiveWindowWatcher::Current() {
    ActiveWindowState s;
    if (!x_)
        return s;
    DrainSoon();
    if (!x_->active)
        return s;
    xcb_connection_t* c = x_->c;
    const xcb_window_t w = x_->active;
    Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
    Reply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w, x_->root, 0, 0), nullptr));
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    if (!g || !at || !attributes)
        return s; // gone meanwhile
    s.exists = true;
    const std::vector<uint32_t> extents = x_->Property(w, kFrameExtents); // left right top bottom
    const int left = extents.size() == 4 ? int(extents[0]) : 0;
    const int right = extents.size() == 4 ? int(extents[1]) : 0;
    const int top = extents.size() == 4 ? int(extents[2]) : 0;
    const int bottom = extents.size() == 4 ? int(extents[3]) : 0;
    s.x = at->dst_x - left;
    s.y = at->dst_y - top;
    s.width = g->width + left + right;
    s.height = g->height + top + bottom;
    // The title bar is what the top of the frame has beyond its border.
    s.titleHeight = std::max(0, top - bottom);
    s.hasCaption = s.titleHeight > 0;

    const std::vector<uint32_t> types = x_->Property(w, kWindowType);
    s.panel = x_->Has(types, kTypeDock) || x_->Has(types, kTypeDesktop);
    for (Atom tool : {kTypeToolbar, kTypeUtility, kTypeMenu, kTypeSplash, kTypeDropdownMenu,
                      kTypePopupMenu, kTypeTooltip, kTypeNotification})
        s.toolWindow = s.toolWindow || x_->Has(types, tool);
    const std::vector<uint32_t> state = x_->Property(w, kState);
    s.topmost = x_->Has(state, kStateAbove);
    s.visible = attributes->map_state == XCB_MAP_STATE_VIEWABLE && !x_->Has(state, kStateHidden);
    const std::vector<uint32_t> actions = x_->Property(w, kAllowedActions);
    s.sizingBorder = x_->Has(actions, kActionResize);
    s.minimizeBox = actions.empty() || x_->Has(actions, kActionMinimize);
    const std::vector<uint32_t> pid = x_->Property(w, kPid);
    s.pid = pid.empty() ? 0 : pid[0];
    return s;
}

// Events read from the socket while waiting for replies wait in the
// connection's queue, where the socket notifier does not see them.
void ActiveWindowWatcher::DrainSoon() {
    QTimer::singleShot(0, this, &ActiveWindowWatcher::HandleEvents);
}

} // namespace zeb
