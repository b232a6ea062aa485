#include "app/RemoteWindow.h"

#include "platform/RuntimeFolder.h"
#include "shell/RemoteControl.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace zeb {

namespace {

xcb_connection_t* X11Connection() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    free(reply);
    return atom;
}

} // namespace

RemoteWindow::RemoteWindow() : title_(QString::fromUtf8(kRemoteInitialTitle)) {}

RemoteWindow::~RemoteWindow() {
    Destroy();
}

bool RemoteWindow::Create(const std::string& runtimeFolder, Handler handler, std::string* error) {
    Destroy();
    RuntimeFolder folder = PrepareRuntimeFolder(runtimeFolder);
    if (!folder.Ok()) {
        if (error)
            *error = folder.error;
        return false;
    }
    auto endpoint = std::make_unique<MessageEndpoint>(std::move(handler));
    if (!endpoint->Listen(folder.path + std::string(kRemoteEndpointName), error))
        return false;
    endpoint_ = std::move(endpoint);
    notifier_ = new QSocketNotifier(endpoint_->Fd(), QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, [this] {
        if (!endpoint_)
            return;
        serving_ = true;
        endpoint_->HandleEvents();
        serving_ = false;
    });

    title_ = QString::fromUtf8(kRemoteInitialTitle);
    if (X11Connection()) {
        window_ = std::make_unique<QWidget>();
        window_->winId(); // a native window that is never mapped
        ApplyTitle();
    }
    return true;
}

void RemoteWindow::Destroy() {
    if (notifier_) {
        // A handler that destroys us runs inside the notifier's signal.
        notifier_->setEnabled(false);
        if (serving_)
            notifier_->deleteLater();
        else
            delete notifier_;
        notifier_ = nullptr;
    }
    if (endpoint_) {
        endpoint_->Close();
        endpoint_.reset();
    }
    window_.reset();
}

void RemoteWindow::SetTitle(const QString& title) {
    if (title == title_)
        return;
    title_ = title;
    ApplyTitle();
}

unsigned long RemoteWindow::NativeWindow() const {
    return window_ ? static_cast<unsigned long>(window_->winId()) : 0;
}

std::string RemoteWindow::EndpointPath() const {
    return endpoint_ ? endpoint_->Path() : std::string();
}

// Class and title are written straight to the X properties: Qt would take
// the class from the program name and decorate the title.
void RemoteWindow::ApplyTitle() {
    xcb_connection_t* c = X11Connection();
    if (!window_ || !c)
        return;
    const xcb_window_t w = static_cast<xcb_window_t>(window_->winId());
    // WM_CLASS: instance and class, each ending with a zero byte.
    std::string wmClass(kRemoteEndpointName);
    wmClass.push_back('\0');
    wmClass += kRemoteEndpointName;
    wmClass.push_back('\0');
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        uint32_t(wmClass.size()), wmClass.data());
    const QByteArray title = title_.toUtf8();
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, Atom(c, "_NET_WM_NAME"), utf8, 8,
                        uint32_t(title.size()), title.constData());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, utf8, 8,
                        uint32_t(title.size()), title.constData());
    // A round trip, so whoever learns of the change from us finds it done.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace zeb
