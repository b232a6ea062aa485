// What Qt alone holds: a program that shows one 22-pixel window drawing the
// player's built-in "stopped" icon, read from the same resources and drawn
// the same way as the player does, and then waits. The process bench
// measures its resident memory beside the player's, as the floor under the
// player's figure.
#include "platform/X11Window.h"
#include "resources/ImageNames.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <xcb/xcb.h>

namespace {

// Draws the picture each time the window is exposed.
class IconWindow : public QAbstractNativeEventFilter {
public:
    explicit IconWindow(QImage image) : image_(std::move(image)) {}

    bool Show() {
        if (!window_.Create(22, 22, XCB_EVENT_MASK_EXPOSURE, 0xefefef))
            return false;
        window_.SetName("zeb-qt-floor");
        qApp->installNativeEventFilter(this);
        xcb_map_window(zeb::X11Window::Connection(), window_.Id());
        xcb_flush(zeb::X11Window::Connection());
        return true;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (type != "xcb_generic_event_t" || (event->response_type & 0x7f) != XCB_EXPOSE)
            return false;
        if (reinterpret_cast<const xcb_expose_event_t*>(event)->window != window_.Id())
            return false;
        window_.Draw(image_, 0, 0);
        return true;
    }

private:
    QImage image_;
    zeb::X11Window window_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QImageReader reader(QString::fromLatin1(zeb::ImagePath(zeb::IconId::Stopped, 22)), "png");
    reader.setAutoDetectImageFormat(false);
    IconWindow window(reader.read());
    if (!window.Show())
        return 1;
    return app.exec();
}
