#include "app/RemoteWindow.h"

#include "platform/RuntimeFolder.h"
#include "platform/X11Window.h"
#include "shell/RemoteControl.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/xcb.h>

namespace zeb {

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
    auto window = std::make_unique<X11Window>();
    if (window->Create(1, 1, 0)) { // a window that is never mapped
        // Its class is the endpoint's name, not the program's.
        window->SetClass(std::string(kRemoteEndpointName), std::string(kRemoteEndpointName));
        window_ = std::move(window);
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
    return window_ ? static_cast<unsigned long>(window_->Id()) : 0;
}

std::string RemoteWindow::EndpointPath() const {
    return endpoint_ ? endpoint_->Path() : std::string();
}

void RemoteWindow::ApplyTitle() {
    if (!window_)
        return;
    window_->SetName(title_);
    // A round trip, so whoever learns of the change from us finds it done.
    xcb_connection_t* c = X11Window::Connection();
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

} // namespace zeb
