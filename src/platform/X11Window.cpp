#include "platform/X11Window.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace zeb {

namespace {

// How one pixel value is laid out for a visual: the channel masks and the
// byte size and order of a pixel in an image sent to the server.
struct PixelLayout {
    std::uint32_t red = 0, green = 0, blue = 0;
    int bytesPerPixel = 0;
    int scanlinePadBytes = 4;
    bool mostSignificantFirst = false;
};

std::uint32_t Scaled(std::uint32_t value8, std::uint32_t mask) {
    if (!mask)
        return 0;
    const int shift = __builtin_ctz(mask);
    const std::uint32_t max = mask >> shift;
    return ((value8 * max + 127) / 255) << shift;
}

std::uint32_t PixelOf(const PixelLayout& layout, std::uint32_t rgb) {
    return Scaled((rgb >> 16) & 0xff, layout.red) | Scaled((rgb >> 8) & 0xff, layout.green) |
           Scaled(rgb & 0xff, layout.blue);
}

// The layout of `visual` at `depth`; bytesPerPixel stays 0 for visuals
// whose pixels are not colours made of channels (palette visuals), and for
// pixel sizes other than 16, 24 or 32 bits.
PixelLayout LayoutOf(xcb_connection_t* c, std::uint32_t visual, std::uint8_t depth) {
    PixelLayout layout;
    const xcb_setup_t* setup = xcb_get_setup(c);
    layout.mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth != depth)
            continue;
        if (f.data->bits_per_pixel == 16 || f.data->bits_per_pixel == 24 ||
            f.data->bits_per_pixel == 32)
            layout.bytesPerPixel = f.data->bits_per_pixel / 8;
        layout.scanlinePadBytes = std::max(1, f.data->scanline_pad / 8);
    }
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id != visual)
                    continue;
                if (v.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                    v.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) {
                    layout.bytesPerPixel = 0;
                    return layout;
                }
                layout.red = v.data->red_mask;
                layout.green = v.data->green_mask;
                layout.blue = v.data->blue_mask;
                return layout;
            }
        }
    }
    layout.bytesPerPixel = 0;
    return layout;
}

void StorePixel(std::uint8_t* at, std::uint32_t pixel, const PixelLayout& layout) {
    for (int i = 0; i < layout.bytesPerPixel; ++i) {
        const int shift = layout.mostSignificantFirst ? 8 * (layout.bytesPerPixel - 1 - i) : 8 * i;
        at[i] = static_cast<std::uint8_t>(pixel >> shift);
    }
}

// A premultiplied pixel over an opaque background.
std::uint32_t Blend(QRgb premultiplied, std::uint32_t background) {
    const std::uint32_t alpha = qAlpha(premultiplied);
    auto channel = [&](std::uint32_t over, std::uint32_t under) {
        return over + (under * (255 - alpha) + 127) / 255;
    };
    return channel(qRed(premultiplied), (background >> 16) & 0xff) << 16 |
           channel(qGreen(premultiplied), (background >> 8) & 0xff) << 8 |
           channel(qBlue(premultiplied), background & 0xff);
}

// The instance name Qt gives its windows: RESOURCE_NAME, else the program's
// file name.
std::string InstanceName() {
    if (const char* name = std::getenv("RESOURCE_NAME"); name && *name)
        return name;
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.isEmpty() ? std::string("zeb")
                               : QFileInfo(arguments.front()).fileName().toStdString();
}

} // namespace

X11Window::~X11Window() {
    Destroy();
}

xcb_connection_t* X11Window::Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

bool X11Window::Create(int width, int height, std::uint32_t eventMask, std::uint32_t background) {
    Destroy();
    connection_ = Connection();
    if (!connection_)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    root_ = screen->root;
    visual_ = screen->root_visual;
    depth_ = screen->root_depth;
    background_ = background & 0xffffff;
    const PixelLayout layout = LayoutOf(connection_, visual_, depth_);
    const std::uint32_t backPixel =
        layout.bytesPerPixel ? PixelOf(layout, background_) : screen->white_pixel;

    id_ = xcb_generate_id(connection_);
    const std::uint32_t values[] = {backPixel, eventMask};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, id_, root_, 0, 0,
                      static_cast<std::uint16_t>(std::max(1, width)),
                      static_cast<std::uint16_t>(std::max(1, height)), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                      values);
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, id_, 0, nullptr);
    // A playing track renames the tray icon every second; its atoms are
    // looked up once.
    utf8Atom_ = Atom("UTF8_STRING");
    netNameAtom_ = Atom("_NET_WM_NAME");
    named_ = false;
    SetClass(InstanceName(), QCoreApplication::applicationName().toStdString());
    SetOwnerProperties();
    return true;
}

void X11Window::Destroy() {
    if (!id_)
        return;
    xcb_free_gc(connection_, gc_);
    xcb_destroy_window(connection_, id_);
    xcb_flush(connection_);
    id_ = 0;
    gc_ = 0;
}

// The process and host, so that tools can tell whose window it is.
void X11Window::SetOwnerProperties() {
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id_, Atom("_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0)
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_CLIENT_MACHINE,
                            XCB_ATOM_STRING, 8, std::strlen(host), host);
}

void X11Window::SetClass(const std::string& instance, const std::string& className) {
    if (!id_)
        return;
    // Each name ends with a zero byte.
    std::string value = instance;
    value.push_back('\0');
    value += className;
    value.push_back('\0');
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
                        8, static_cast<std::uint32_t>(value.size()), value.data());
}

void X11Window::SetName(const QString& name) {
    if (!id_ || (named_ && name == name_))
        return;
    name_ = name;
    named_ = true;
    const QByteArray text = name.toUtf8();
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id_, netNameAtom_, utf8Atom_, 8,
                        static_cast<std::uint32_t>(text.size()), text.constData());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NAME, utf8Atom_, 8,
                        static_cast<std::uint32_t>(text.size()), text.constData());
    xcb_flush(connection_);
}

void X11Window::SelectEvents(std::uint32_t eventMask) {
    if (id_)
        xcb_change_window_attributes(connection_, id_, XCB_CW_EVENT_MASK, &eventMask);
}

void X11Window::Clear() {
    if (!id_)
        return;
    xcb_clear_area(connection_, 0, id_, 0, 0, 0, 0);
    xcb_flush(connection_);
}

void X11Window::Draw(const QImage& image, int x, int y) {
    if (!id_ || image.isNull())
        return;
    if (!PutPixels(image.convertToFormat(QImage::Format_ARGB32_Premultiplied), x, y))
        Clear();
    xcb_flush(connection_);
}

// Sends the image in as many requests as the server's request size needs.
bool X11Window::PutPixels(const QImage& image, int x, int y) {
    const PixelLayout layout = LayoutOf(connection_, visual_, depth_);
    if (!layout.bytesPerPixel)
        return false;
    const int pad = layout.scanlinePadBytes;
    const int stride = (image.width() * layout.bytesPerPixel + pad - 1) / pad * pad;
    constexpr std::uint32_t kRequestHeaderBytes = 24;
    const std::uint64_t maxBytes =
        std::uint64_t(xcb_get_maximum_request_length(connection_)) * 4 - kRequestHeaderBytes;
    const int rowsPerRequest = static_cast<int>(std::max<std::uint64_t>(1, maxBytes / stride));
    std::vector<std::uint8_t> rows;
    for (int top = 0; top < image.height(); top += rowsPerRequest) {
        const int count = std::min(rowsPerRequest, image.height() - top);
        rows.assign(std::size_t(stride) * count, 0);
        for (int r = 0; r < count; ++r) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(top + r));
            std::uint8_t* out = rows.data() + std::size_t(stride) * r;
            for (int c = 0; c < image.width(); ++c)
                StorePixel(out + c * layout.bytesPerPixel,
                           PixelOf(layout, Blend(line[c], background_)), layout);
        }
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, id_, gc_,
                      static_cast<std::uint16_t>(image.width()), static_cast<std::uint16_t>(count),
                      static_cast<std::int16_t>(x), static_cast<std::int16_t>(y + top), 0, depth_,
                      static_cast<std::uint32_t>(rows.size()), rows.data());
    }
    return true;
}

std::uint32_t X11Window::Atom(const char* name) const {
    if (!connection_)
        return XCB_ATOM_NONE;
    auto* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace zeb
