// The desktop's active window as the window manager publishes it
// (_NET_ACTIVE_WINDOW), watched through property and configure events on a
// connection of its own: no polling.
#pragma once

#include <QObject>
#include <cstdint>
#include <memory>

namespace zeb {

// What the window manager tells about the active window.
struct ActiveWindowState {
    bool exists = false;                     // a window is active
    uint32_t pid = 0;                        // its _NET_WM_PID, 0 when unknown
    bool panel = false;                      // a dock, panel or the desktop
    bool visible = false;                    // mapped and not minimised
    bool hasCaption = false;                 // decorated with a title bar
    bool toolWindow = false;                 // a utility, toolbar, menu or similar window
    bool topmost = false;                    // kept above other windows
    bool sizingBorder = false;               // the user may resize it
    bool minimizeBox = true;                 // it can be minimised
    int x = 0, y = 0, width = 0, height = 0; // with its frame, in root coordinates
    int titleHeight = 0;                     // height of the title bar
};

class ActiveWindowWatcher : public QObject {
    Q_OBJECT
public:
    explicit ActiveWindowWatcher(QObject* parent = nullptr);
    ~ActiveWindowWatcher() override;

    // Connects to the X display; false without one.
    bool Start();
    // True while a window manager publishes the active window.
    bool Published();
    // Reads the active window's state now.
    ActiveWindowState Current();

signals:
    // The active window changed, or moved, resized or changed its state.
    void Changed();

private:
    struct X;
    void HandleEvents();
    void DrainSoon();
    void Follow(uint32_t window);
    void Unfollow();

    std::unique_ptr<X> x_;
};

} // namespace zeb
