// A drag source as a file manager is one: it drops a list of files on a
// window through the XDND protocol (version 5) with the type
// text/uri-list, and hands the list over when the target asks for it.
//
//   xdnd_drop_probe <target window> <root x> <root y> <path>...
//
// Prints "accepted" and exits 0 when the target took the drop, "refused"
// (exit 2) when it declined it, and exits 1 when the target did not answer
// within the time limit or another error came up.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr uint32_t kXdndVersion = 5;
constexpr auto kAnswerLimit = std::chrono::seconds(60);

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
using Event = std::unique_ptr<xcb_generic_event_t, FreeDeleter>;

class DropSource {
public:
    DropSource(xcb_connection_t* connection, const xcb_screen_t* screen)
        : c_(connection), screen_(screen) {
        window_ = xcb_generate_id(c_);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen_->root, -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, XCB_CW_EVENT_MASK,
                          &events);
        for (auto& [atom, name] : std::initializer_list<std::pair<xcb_atom_t*, const char*>>{
                 {&enter_, "XdndEnter"},
                 {&position_, "XdndPosition"},
                 {&status_, "XdndStatus"},
                 {&drop_, "XdndDrop"},
                 {&finished_, "XdndFinished"},
                 {&leave_, "XdndLeave"},
                 {&selection_, "XdndSelection"},
                 {&actionCopy_, "XdndActionCopy"},
                 {&uriList_, "text/uri-list"},
                 {&targets_, "TARGETS"},
                 {&stamp_, "_ZEB_DROP_STAMP"}})
            *atom = Intern(name);
    }

    // Drops `uriList` on `target` at the root position; true when taken.
    std::optional<bool> Drop(xcb_window_t target, int x, int y, const std::string& uriList) {
        uriList_data_ = uriList;
        const xcb_timestamp_t time = ServerTime();
        xcb_set_selection_owner(c_, window_, selection_, time);
        Send(target, enter_, {window_, kXdndVersion << 24, uriList_, XCB_NONE, XCB_NONE});
        Send(target, position_,
             {window_, 0, (uint32_t(x) << 16) | uint32_t(y & 0xffff), time, actionCopy_});
        xcb_flush(c_);

        bool dropped = false;
        const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
        while (Event event = NextEvent(deadline)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_REQUEST) {
                AnswerRequest(reinterpret_cast<xcb_selection_request_event_t*>(event.get()));
                continue;
            }
            if (type != XCB_CLIENT_MESSAGE)
                continue;
            auto* message = reinterpret_cast<xcb_client_message_event_t*>(event.get());
            const uint32_t* data = message->data.data32;
            if (message->type == status_ && !dropped) {
                if ((data[1] & 1) == 0) {
                    Send(target, leave_, {window_, 0, 0, 0, 0});
                    xcb_flush(c_);
                    return false;
                }
                Send(target, drop_, {window_, 0, time, 0, 0});
                xcb_flush(c_);
                dropped = true;
            } else if (message->type == finished_) {
                return (data[1] & 1) != 0 || kXdndVersion < 5;
            }
        }
        return std::nullopt;
    }

private:
    xcb_atom_t Intern(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return atom;
    }

    // The server's time now, from the notification of a change to our own
    // window: the selection must be owned from a real time for the target's
    // request (which carries the drop's time) to be answered.
    xcb_timestamp_t ServerTime() {
        xcb_change_property(c_, XCB_PROP_MODE_APPEND, window_, stamp_, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(c_);
        const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
        while (Event event = NextEvent(deadline)) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                return reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time;
        }
        return XCB_CURRENT_TIME;
    }

    void Send(xcb_window_t target, xcb_atom_t type, std::initializer_list<uint32_t> values) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = type;
        int i = 0;
        for (uint32_t v : values)
            message.data.data32[i++] = v;
        xcb_send_event(c_, 0, target, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
    }

    // The target asks for the dropped data (or for the types on offer).
    void AnswerRequest(const xcb_selection_request_event_t* request) {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request->time;
        notify.requestor = request->requestor;
        notify.selection = request->selection;
        notify.target = request->target;
        notify.property = XCB_NONE;
        const xcb_atom_t property =
            request->property == XCB_NONE ? request->target : request->property;
        if (request->selection == selection_ && request->target == uriList_) {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request->requestor, property, uriList_,
                                8, uint32_t(uriList_data_.size()), uriList_data_.data());
            notify.property = property;
        } else if (request->selection == selection_ && request->target == targets_) {
            const xcb_atom_t offered[] = {targets_, uriList_};
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request->requestor, property,
                                XCB_ATOM_ATOM, 32, 2, offered);
            notify.property = property;
        }
        xcb_send_event(c_, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(c_);
    }

    Event NextEvent(std::chrono::steady_clock::time_point deadline) {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(c_))
                return Event(event);
            if (xcb_connection_has_error(c_))
                return nullptr;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return nullptr;
            pollfd fd{xcb_get_file_descriptor(c_), POLLIN, 0};
            poll(&fd, 1, int(left.count()));
        }
    }

    xcb_connection_t* c_;
    const xcb_screen_t* screen_;
    xcb_window_t window_ = XCB_NONE;
    xcb_atom_t enter_ = XCB_NONE, position_ = XCB_NONE, status_ = XCB_NONE, drop_ = XCB_NONE,
               finished_ = XCB_NONE, leave_ = XCB_NONE, selection_ = XCB_NONE,
               actionCopy_ = XCB_NONE, uriList_ = XCB_NONE, targets_ = XCB_NONE, stamp_ = XCB_NONE;
    std::string uriList_data_;
};

// A path as a file:// address, every byte outside the unreserved set escaped.
std::string FileUri(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char ch : path) {
        if (std::isalnum(ch) || std::strchr("/-._~", ch)) {
            uri += char(ch);
        } else {
            uri += '%';
            uri += hex[ch >> 4];
            uri += hex[ch & 15];
        }
    }
    return uri;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <window> <root x> <root y> <path>...\n", argv[0]);
        return 1;
    }
    const auto target = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    const int x = std::atoi(argv[2]);
    const int y = std::atoi(argv[3]);
    std::string uriList;
    for (int i = 4; i < argc; ++i)
        uriList += FileUri(argv[i]) + "\r\n";

    int screenIndex = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenIndex);
    if (xcb_connection_has_error(connection))
        return 1;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenIndex; ++i)
        xcb_screen_next(&it);

    DropSource source(connection, it.data);
    const std::optional<bool> taken = source.Drop(target, x, y, uriList);
    xcb_disconnect(connection);
    if (!taken) {
        std::puts("no answer");
        return 1;
    }
    std::puts(*taken ? "accepted" : "refused");
    return *taken ? 0 : 2;
}
