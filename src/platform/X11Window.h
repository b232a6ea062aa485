#pragma once

#include <QString>
#include <cstdint>
#include <string>

class QImage;
struct xcb_connection_t;

namespace zeb {

// A top-level X window of our own on Qt's X connection, made without a
// QWidget: the program's windows that are never shown (the hidden main
// window, the remote-control window) and the tray icon need only a window
// id, a class and a name, and a QWidget would load Qt's styles and painting
// machinery into a player that only waits in the tray.
class X11Window {
public:
    X11Window() = default;
    ~X11Window();
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    // Qt's X connection; null on other platforms.
    static xcb_connection_t* Connection();

    // Makes an unmapped window of the screen's depth and visual, filled with
    // `background` (0xRRGGBB) where nothing is drawn, and selecting
    // `eventMask`. Its class is the program's, as Qt gives its own windows.
    // False without an X connection.
    bool Create(int width, int height, std::uint32_t eventMask, std::uint32_t background = 0);
    void Destroy();
    bool Exists() const { return id_ != 0; }
    std::uint32_t Id() const { return id_; }
    std::uint32_t Root() const { return root_; }

    // WM_CLASS: the instance and class names.
    void SetClass(const std::string& instance, const std::string& className);
    // WM_NAME and _NET_WM_NAME, both UTF-8; nothing is sent when the name
    // stays as it is.
    void SetName(const QString& name);
    // Replaces the event mask chosen at creation.
    void SelectEvents(std::uint32_t eventMask);
    // Draws `image` (any format; alpha is blended over the background) with
    // its top-left corner at x, y.
    void Draw(const QImage& image, int x, int y);
    // Fills the window with its background.
    void Clear();

    std::uint32_t Atom(const char* name) const;

private:
    void SetOwnerProperties();
    bool PutPixels(const QImage& image, int x, int y);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t id_ = 0;
    std::uint32_t root_ = 0;
    std::uint32_t visual_ = 0;
    std::uint8_t depth_ = 0;
    std::uint32_t background_ = 0;
    std::uint32_t gc_ = 0;
    std::uint32_t utf8Atom_ = 0;
    std::uint32_t netNameAtom_ = 0;
    QString name_;
    bool named_ = false;
};

} // namespace zeb
