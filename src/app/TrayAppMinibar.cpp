// The tray program's side of the minibar: opening and closing it, feeding
// it the status, the variant swap of CD mode and its tool strip.
#include "app/TrayApp.h"
#include "ui/MenuAnchor.h"

#include <QTimer>

namespace zeb {

// Runs from the event loop: the remote control calls in from its handler.
void TrayApp::ToggleMinibar(bool /*cdMinibar*/) {
    QTimer::singleShot(0, this, [this] {
        if (shutDown_)
            return;
        if (minibar_)
            CloseMinibar();
        else
            OpenMinibar(wnd_->InCdMode());
    });
}

void TrayApp::OpenMinibar(bool cd) {
    NeedMixer(); // the bar shows the volume
    if (minibar_)
        return;
    MinibarHost host;
    host.runTool = [this](MinibarTool tool) { RunMinibarTool(tool); };
    host.showMenu = [this] { ShowMainMenu(MenuPlace::Minibar); };
    host.refreshStatus = [this] { UpdateStatus(false); };
    minibar_ = new Minibar(*wnd_, std::move(host), cd);
    // Closed from its own close zone, the bar deletes itself.
    connect(minibar_, &Minibar::Closed, this, [this] { minibar_ = nullptr; });
    minibar_->show();
    UpdateStatus(false);
}

// Closing stores the placement; the bar goes at once, as the event loop
// may not run again at exit.
void TrayApp::CloseMinibar() {
    Minibar* bar = minibar_;
    if (!bar)
        return;
    minibar_ = nullptr;
    bar->close();
    delete bar;
}

void TrayApp::SwapMinibar(bool cdMode) {
    if (!minibar_ || minibar_->IsCd() == cdMode)
        return;
    CloseMinibar();
    OpenMinibar(cdMode);
}

void TrayApp::RememberMinibar() {
    wnd_->BarAtStartup = minibar_ && minibar_->IsCd() == wnd_->InCdMode() ? 1 : 0;
    if (minibar_)
        minibar_->StorePlacement();
}

void TrayApp::PutMinibarOnTop() {
    if (minibar_)
        minibar_->raise();
}

void TrayApp::FeedMinibar(const std::string& title, const std::string& time, int perMille) {
    if (!minibar_)
        return;
    minibar_->ShowStatus(title, time, perMille);
    minibar_->ShowVolume(wnd_->Volume());
}

void TrayApp::MinibarFollowChanged() {
    if (minibar_)
        minibar_->FollowSettingChanged();
}

void TrayApp::RunMinibarTool(MinibarTool tool) {
    switch (tool) {
    case MinibarTool::Mp3Info:
        if (wnd_->Count() > 0)
            ToggleMp3Info();
        break;
    case MinibarTool::Equalizer:
        ToggleEqualizer();
        break;
    case MinibarTool::Playlist:
        OpenOrClosePlaylistWindow();
        break;
    case MinibarTool::Tracks:
    case MinibarTool::CdTracks:
        ShowTracksMenu(MenuPlace::Minibar, false);
        break;
    case MinibarTool::Album:
        ShowTracksMenu(MenuPlace::Minibar, true);
        break;
    case MinibarTool::Close:
    case MinibarTool::Drag:
        break;
    }
}

} // namespace zeb
