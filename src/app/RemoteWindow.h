#pragma once

#include "platform/MessageEndpoint.h"

#include <QString>
#include <memory>
#include <string>

class QSocketNotifier;

namespace zeb {

class X11Window;

// The remote-control window: the "Winamp v1.x" message endpoint in the
// runtime folder, served from the Qt event loop, and on X11 an unmapped
// window of that class whose title follows the playing entry, so tools that
// look for the window by class find the player.
class RemoteWindow {
public:
    using Handler = MessageEndpoint::Handler;

    RemoteWindow();
    ~RemoteWindow();
    RemoteWindow(const RemoteWindow&) = delete;
    RemoteWindow& operator=(const RemoteWindow&) = delete;

    // Listens on "<runtimeFolder>/Winamp v1.x" (the folder is created or
    // checked first) and, on X11, creates the window titled "Winamp".
    // Requests are answered by `handler` on the event loop's thread; the
    // handler may call Destroy. False, with the reason in *error, when the
    // endpoint cannot be had (for instance another player holds it); nothing
    // exists then.
    bool Create(const std::string& runtimeFolder, Handler handler, std::string* error = nullptr);
    // Closes the endpoint (its socket file goes) and destroys the window.
    void Destroy();
    bool Exists() const { return endpoint_ != nullptr; }

    void SetTitle(const QString& title);
    const QString& Title() const { return title_; }
    // The X11 window id, 0 when there is no window (not created, or not X11).
    unsigned long NativeWindow() const;
    // The endpoint's socket path; empty when not created.
    std::string EndpointPath() const;

private:
    void ApplyTitle();

    std::unique_ptr<MessageEndpoint> endpoint_;
    QSocketNotifier* notifier_ = nullptr;
    std::unique_ptr<X11Window> window_;
    QString title_;
    bool serving_ = false;
};

} // namespace zeb
