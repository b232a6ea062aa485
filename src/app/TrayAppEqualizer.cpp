// The tray program's equalizer window: the toggle of the menu, the hotkey,
// the click action and the remote control, start-up and exit.
#include "app/TrayApp.h"

#include <QTimer>

namespace zeb {

// From the remote control: run from the event loop, outside its handler.
void TrayApp::ToggleEqualizer() {
    QTimer::singleShot(0, this, [this] { OpenOrCloseEqualizer(); });
}

void TrayApp::OpenOrCloseEqualizer() {
    if (shutDown_ || !wnd_)
        return;
    if (equalizerWindow_)
        CloseEqualizer();
    else
        OpenEqualizer();
}

void TrayApp::OpenEqualizer() {
    if (equalizerWindow_ || wnd_->InCdMode())
        return;
    equalizerWindow_ = new EqualizerWindow(*wnd_);
    // Closed by the user, the window deletes itself at the next turn of the
    // event loop; until then it is kept apart.
    connect(equalizerWindow_, &EqualizerWindow::Closed, this, [this] {
        closedEqualizerWindow_ = equalizerWindow_.data();
        equalizerWindow_ = nullptr;
    });
    equalizerWindow_->show();
    equalizerWindow_->raise();
    equalizerWindow_->activateWindow();
}

void TrayApp::CloseEqualizer() {
    EqualizerWindow* window = equalizerWindow_;
    if (!window)
        return;
    window->close();
    delete window;
    equalizerWindow_ = nullptr;
}

void TrayApp::RememberEqualizer() {
    wnd_->EQAtStartup = equalizerWindow_ ? 1 : 0;
    if (equalizerWindow_)
        equalizerWindow_->StorePosition();
}

// The window edits the main window's settings: it must not outlive them,
// even when it was closed just before.
void TrayApp::DestroyEqualizerWindows() {
    CloseEqualizer();
    delete closedEqualizerWindow_.data();
}

} // namespace zeb
