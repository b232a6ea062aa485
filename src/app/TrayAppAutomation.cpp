// Automation in the tray program: its dialog, the run on demand, at start
// and on the period timer, and the save that may follow a run.
#include "app/TrayApp.h"
#include "ui/AutomationDialog.h"

namespace zeb {

namespace {

constexpr int kMsPerMinute = 60000;

} // namespace

// The timer keeps running whether timed runs are on or off; only a new
// period restarts it.
void TrayApp::StartAutomation() {
    automationTimer_.setTimerType(Qt::VeryCoarseTimer);
    connect(&automationTimer_, &QTimer::timeout, this, &TrayApp::OnAutomationTimer);
    RestartAutomationTimer();
    if (wnd_->AutOnStart == 1)
        wnd_->RunAutomation();
}

void TrayApp::RestartAutomationTimer() {
    automationTimer_.start(std::max(1, wnd_->AutPeriod) * kMsPerMinute);
}

void TrayApp::StopAutomation() {
    automationTimer_.stop();
    delete automationDialog_.data();
}

void TrayApp::OnAutomationTimer() {
    if (wnd_->AutEvery == 1)
        RunAutomationAndSave();
}

void TrayApp::RunAutomationAndSave() {
    wnd_->RunAutomation([this] {
        if (!shutDown_ && wnd_->AutSaveset == 1)
            SaveFiles();
    });
}

void TrayApp::OpenAutomationDialog() {
    if (!automationDialog_) {
        AutomationDialogHooks hooks;
        hooks.periodChanged = [this] { RestartAutomationTimer(); };
        automationDialog_ = new AutomationDialog(*wnd_, std::move(hooks));
        automationDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    automationDialog_->show();
    automationDialog_->raise();
    automationDialog_->activateWindow();
}

void TrayApp::PlaylistSorted() {
    if (playlistWindow_)
        playlistWindow_->ShowSorted();
}

} // namespace zeb
