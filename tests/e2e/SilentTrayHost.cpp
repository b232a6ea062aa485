// A tray host that owns the system-tray selection but never takes an icon:
// it stands for a host too busy to answer a dock request. Prints "owner"
// once it holds the selection and runs until it is ended.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <xcb/xcb.h>

int main() {
    int screenIndex = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenIndex);
    if (xcb_connection_has_error(connection))
        return 1;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenIndex; ++i)
        xcb_screen_next(&it);
    const xcb_screen_t* screen = it.data;

    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, 0, nullptr);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screenIndex);
    auto* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.c_str()), nullptr);
    if (!atom)
        return 1;
    xcb_set_selection_owner(connection, window, atom->atom, XCB_CURRENT_TIME);
    std::free(atom);
    xcb_flush(connection);
    std::puts("owner");
    std::fflush(stdout);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection))
        std::free(event); // dock requests are read and ignored
    xcb_disconnect(connection);
    return 0;
}
