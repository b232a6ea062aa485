#include "platform/GlobalHotkeys.h"

#include "platform/VirtualKeys.h"
#include "platform/X11Window.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// xkb.h names a structure member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace zeb {

namespace {

constexpr xcb_keysym_t kNumLockSym = 0xff7f;
constexpr xcb_keysym_t kScrollLockSym = 0xff14;
constexpr xcb_keysym_t kAltLSym = 0xffe9;
constexpr xcb_keysym_t kAltRSym = 0xffea;
// The modifier bits a key press may carry besides the buttons.
constexpr std::uint16_t kAllModifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK |
                                        XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2 |
                                        XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

// The keycodes that produce `keysym` in any shift level, each once.
std::vector<xcb_keycode_t> KeycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> codes;
    xcb_keycode_t* list = xcb_key_symbols_get_keycode(symbols, keysym);
    for (xcb_keycode_t* k = list; k && *k != XCB_NO_SYMBOL; ++k) {
        if (std::find(codes.begin(), codes.end(), *k) == codes.end())
            codes.push_back(*k);
    }
    std::free(list);
    return codes;
}

} // namespace

GlobalHotkeys::GlobalHotkeys(QObject* parent) : QObject(parent) {
    connection_ = X11Window::Connection();
    if (!connection_)
        return;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_)); it.rem;
         xcb_screen_next(&it))
        roots_.push_back(it.data->root);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

GlobalHotkeys::~GlobalHotkeys() {
    if (!connection_)
        return;
    UnregisterAll();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Finds which modifiers Alt, Num Lock and Scroll Lock set in the current
// modifier mapping; Alt and Num Lock fall back to Mod1 and Mod2.
void GlobalHotkeys::ReadModifierMapping() {
    altMask_ = XCB_MOD_MASK_1;
    std::uint16_t numLock = XCB_MOD_MASK_2;
    std::uint16_t scrollLock = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    const std::vector<xcb_keycode_t> numCodes = KeycodesOf(symbols, kNumLockSym);
    const std::vector<xcb_keycode_t> scrollCodes = KeycodesOf(symbols, kScrollLockSym);
    std::vector<xcb_keycode_t> altCodes = KeycodesOf(symbols, kAltLSym);
    for (xcb_keycode_t k : KeycodesOf(symbols, kAltRSym))
        altCodes.push_back(k);
    xcb_key_symbols_free(symbols);

    auto* reply =
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr);
    if (reply) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
        const int perModifier = reply->keycodes_per_modifier;
        auto has = [](const std::vector<xcb_keycode_t>& list, xcb_keycode_t k) {
            return k != 0 && std::find(list.begin(), list.end(), k) != list.end();
        };
        // Modifiers 0-2 are Shift, Lock and Control; only Mod1-Mod5 vary.
        for (int mod = 3; mod < 8; ++mod) {
            const auto mask = std::uint16_t(1u << mod);
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t k = codes[mod * perModifier + i];
                if (has(numCodes, k))
                    numLock = mask;
                if (has(scrollCodes, k))
                    scrollLock = mask;
                if (has(altCodes, k))
                    altMask_ = mask;
            }
        }
        std::free(reply);
    }
    lockMasks_ = {XCB_MOD_MASK_LOCK};
    if (numLock != altMask_)
        lockMasks_.push_back(numLock);
    if (scrollLock && scrollLock != altMask_ && scrollLock != numLock)
        lockMasks_.push_back(scrollLock);
    allLocks_ = 0;
    for (std::uint16_t m : lockMasks_)
        allLocks_ |= m;
}

bool GlobalHotkeys::Register(int id, int modifiers, int virtualKey) {
    Unregister(id);
    if (!connection_ || virtualKey == 0)
        return false;
    const std::uint32_t keysym = KeysymFromVirtualKey(virtualKey);
    if (keysym == 0)
        return false;
    ReadModifierMapping();
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    Grab grab;
    grab.keycodes = KeycodesOf(symbols, keysym);
    xcb_key_symbols_free(symbols);
    if (grab.keycodes.empty())
        return false;
    if (modifiers & 1)
        grab.modifiers |= altMask_;
    if (modifiers & 2)
        grab.modifiers |= XCB_MOD_MASK_CONTROL;
    if (modifiers & 4)
        grab.modifiers |= XCB_MOD_MASK_SHIFT;

    // Checked requests: a refusal comes back here instead of as an error
    // event that Qt would print.
    std::vector<xcb_void_cookie_t> cookies;
    const unsigned combinations = 1u << lockMasks_.size();
    for (xcb_window_t root : roots_) {
        for (xcb_keycode_t code : grab.keycodes) {
            for (unsigned set = 0; set < combinations; ++set) {
                std::uint16_t locks = 0;
                for (size_t i = 0; i < lockMasks_.size(); ++i) {
                    if (set & (1u << i))
                        locks |= lockMasks_[i];
                }
                cookies.push_back(xcb_grab_key_checked(connection_, 1, root, grab.modifiers | locks,
                                                       code, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
            }
        }
    }
    bool granted = true;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            granted = false;
            std::free(error);
        }
    }
    if (!granted) {
        Ungrab(grab); // releases only what this client got
        return false;
    }
    grabs_[id] = std::move(grab);
    return true;
}

void GlobalHotkeys::Ungrab(const Grab& grab) {
    const unsigned combinations = 1u << lockMasks_.size();
    for (xcb_window_t root : roots_) {
        for (xcb_keycode_t code : grab.keycodes) {
            for (unsigned set = 0; set < combinations; ++set) {
                std::uint16_t locks = 0;
                for (size_t i = 0; i < lockMasks_.size(); ++i) {
                    if (set & (1u << i))
                        locks |= lockMasks_[i];
                }
                xcb_ungrab_key(connection_, code, root, grab.modifiers | locks);
            }
        }
    }
    xcb_flush(connection_);
}

void GlobalHotkeys::Unregister(int id) {
    auto it = grabs_.find(id);
    if (it == grabs_.end())
        return;
    Grab grab = std::move(it->second);
    grabs_.erase(it);
    Ungrab(grab);
}

void GlobalHotkeys::UnregisterAll() {
    while (!grabs_.empty())
        Unregister(grabs_.begin()->first);
}

bool GlobalHotkeys::IsRegistered(int id) const {
    return grabs_.count(id) != 0;
}

bool GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!connection_ || eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (xkbFirstEvent_ != 0 && type == xkbFirstEvent_) {
        // Every keyboard-extension event shares one type; the kind follows it.
        const auto* xkb = reinterpret_cast<xcb_xkb_indicator_state_notify_event_t*>(event);
        if (xkb->xkbType == XCB_XKB_INDICATOR_STATE_NOTIFY)
            emit IndicatorsChanged();
        return false; // Qt follows the keyboard through these events too
    }
    if (type != XCB_KEY_PRESS)
        return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    if (std::find(roots_.begin(), roots_.end(), press->event) == roots_.end())
        return false;
    const std::uint16_t held = press->state & kAllModifiers & ~allLocks_;
    int activated = 0;
    bool found = false;
    for (const auto& [id, grab] : grabs_) {
        if (grab.modifiers == held && std::find(grab.keycodes.begin(), grab.keycodes.end(),
                                                press->detail) != grab.keycodes.end()) {
            activated = id;
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    // Emitted after the search: a receiver may unregister hotkeys.
    emit Activated(activated);
    return true;
}

namespace {

bool UseXkb(xcb_connection_t* c) {
    auto* use = xcb_xkb_use_extension_reply(
        c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    return supported;
}

// The state of the keyboard's indicator of this name; nothing when the
// keyboard has none. Errors are taken with the replies so that none
// reaches Qt's log.
std::optional<bool> NamedIndicator(xcb_connection_t* c, std::string_view name) {
    xcb_generic_error_t* error = nullptr;
    auto* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, std::uint16_t(name.size()), name.data()), &error);
    std::free(error);
    error = nullptr;
    std::optional<bool> on;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        auto* named = xcb_xkb_get_named_indicator_reply(
            c,
            xcb_xkb_get_named_indicator(c, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_LED_CLASS_DFLT_XI_CLASS,
                                        XCB_XKB_ID_DFLT_XI_ID, atom->atom),
            &error);
        std::free(error);
        if (named && named->found)
            on = named->on != 0;
        std::free(named);
    }
    std::free(atom);
    return on;
}

} // namespace

bool GlobalHotkeys::IndicatorOn(std::string_view name) {
    xcb_connection_t* c = X11Window::Connection();
    if (!c || !UseXkb(c))
        return false;
    return NamedIndicator(c, name).value_or(false);
}

// Selects only the indicator-state events: the selection of other kinds,
// which Qt makes on the same connection, stays as it is.
bool GlobalHotkeys::WatchIndicators() {
    if (!connection_ || !UseXkb(connection_))
        return false;
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection_, &xcb_xkb_id);
    if (!xkb || !xkb->present)
        return false;
    const std::uint16_t kinds = XCB_XKB_EVENT_TYPE_INDICATOR_STATE_NOTIFY;
    xcb_xkb_select_events_details_t details{};
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_xkb_select_events_aux_checked(connection_, XCB_XKB_ID_USE_CORE_KBD, kinds,
                                                       0, kinds, 0, 0, &details));
    if (error) {
        std::free(error);
        return false;
    }
    xkbFirstEvent_ = xkb->first_event;
    return true;
}

bool GlobalHotkeys::ScrollLockOn() {
    xcb_connection_t* c = X11Window::Connection();
    if (!c || !UseXkb(c))
        return false;
    if (std::optional<bool> on = NamedIndicator(c, "Scroll Lock"))
        return *on;
    // No indicator of that name: the third indicator is Scroll Lock on
    // common keyboards.
    xcb_generic_error_t* error = nullptr;
    auto* state = xcb_xkb_get_indicator_state_reply(
        c, xcb_xkb_get_indicator_state(c, XCB_XKB_ID_USE_CORE_KBD), &error);
    std::free(error);
    const bool on = state && (state->state & 4u) != 0;
    std::free(state);
    return on;
}

} // namespace zeb
