// The advanced settings dialog in the tray program: opening it, and putting
// into effect what its OK changed.
#include "app/TrayApp.h"
#include "cd/CdDrive.h"
#include "engine/AlsaMixer.h"
#include "engine/WaveOut.h"
#include "platform/ProgramFiles.h"
#include "shell/ShellRegistration.h"
#include "ui/AdvancedSettingsDialog.h"

#include <memory>

namespace zeb {

// One dialog at most: the command gives an open one the focus.
void TrayApp::OpenAdvancedSettings() {
    if (!advancedSettings_) {
        AdvancedSettingsDevices devices{CWaveOut::DeviceNames(), AlsaMixer::DeviceNames(),
                                        CdDrive::Devices()};
        AdvancedSettingsHooks hooks;
        hooks.editHotkeys = [this](QWidget* parent) { EditHotkeys(parent); };
        hooks.skinChanged = [this] { ShowSkin(); };
        hooks.changeCdDrive = [this](const std::string& drive) { ChangeCdDrive(drive); };
        hooks.applied = [this](const MainWndSettings& before) { ApplyAdvancedSettings(before); };
        // The registration names this program file, wherever it was started from.
        auto registration = std::make_shared<ShellRegistration>(XdgUserFolders::FromEnvironment(),
                                                                OwnProgramPath());
        hooks.readRegistration = [registration] { return registration->Read(); };
        hooks.writeRegistration = [registration](const ShellRegistrationState& state) {
            registration->Write(state);
        };
        advancedSettings_ = new AdvancedSettingsDialog(*wnd_, std::move(devices), std::move(hooks));
        advancedSettings_->setAttribute(Qt::WA_DeleteOnClose);
        // Its now-playing dialog changes the settings at once, whether the
        // dialog itself is then accepted or not: the file may be due.
        connect(advancedSettings_, &QDialog::finished, this, [this] { FollowPlayState(); });
    }
    advancedSettings_->show();
    advancedSettings_->raise();
    advancedSettings_->activateWindow();
}

// Cancel semantics: nothing of an open dialog is stored.
void TrayApp::CloseAdvancedSettings() {
    delete advancedSettings_.data();
}

void TrayApp::ShowSkin() {
    LoadImages();
    if (trayShown_)
        SetTrayImage(shownIcon_);
}

// In CD mode a playing disc stops and the device opens on the new drive; the
// displays then show the stopped disc.
void TrayApp::ChangeCdDrive(const std::string& drive) {
    const bool changed = drive != wnd_->CDLetter;
    wnd_->Cd().ChangeDrive(drive);
    if (changed && wnd_->InCdMode())
        UpdateStatus(true);
}

void TrayApp::ApplyAdvancedSettings(const MainWndSettings& before) {
    // The output's line carries the volume in both modes (see CdModeChanged).
    if (wnd_->MDevice != before.MDevice)
        ReopenMixer();
    ApplyProcessPriority();
    wnd_->Player().SetPriority(wnd_->Priority);
    FollowRemoteSetting();
}

} // namespace zeb
