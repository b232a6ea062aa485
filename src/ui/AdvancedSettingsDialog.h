// The advanced settings dialog (dialog 110, 160 in Russian): the settings
// without a menu item of their own, copied into its controls when it is made
// and back on OK.
#pragma once

#include "shell/AdvancedSettings.h"
#include "shell/MainWndSettings.h"
#include "shell/ShellRegistration.h"

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace zeb {

// What the device combos offer.
struct AdvancedSettingsDevices {
    std::vector<std::string> outputs;  // sound devices in device order, after the default
    std::vector<std::string> mixers;   // mixer devices in device order
    std::vector<std::string> cdDrives; // CD device paths
};

// What the dialog leaves to the program. Any of them may be empty.
struct AdvancedSettingsHooks {
    // "Genveje": the hotkey dialog, over this one.
    std::function<void(QWidget* parent)> editHotkeys;
    // CurrentSkin changed: the program shows the new images at once.
    std::function<void()> skinChanged;
    // OK: stores the chosen CD drive, reopening it when a disc is in use.
    // Without it the dialog stores CDLetter itself.
    std::function<void(const std::string& drive)> changeCdDrive;
    // OK, once every value is stored; `before` holds the settings as they
    // were, so that only what changed needs redoing.
    std::function<void(const MainWndSettings& before)> applied;
    // The desktop registration behind the six "Afspil med ZEB" and folder
    // boxes: read when the dialog opens, written last on OK. Without both
    // the boxes are shown unticked and disabled.
    std::function<ShellRegistrationState()> readRegistration;
    std::function<void(const ShellRegistrationState&)> writeRegistration;
};

// Modeless; the caller shows it and keeps `settings` alive while it exists.
// Cancel stores nothing (a skin chosen meanwhile stays).
class AdvancedSettingsDialog : public QDialog {
    Q_OBJECT
public:
    AdvancedSettingsDialog(MainWndSettings& settings, AdvancedSettingsDevices devices,
                           AdvancedSettingsHooks hooks, QWidget* parent = nullptr);

    // Refused, with a message, unless a click opens the main menu.
    void accept() override;

    // The values the controls show now.
    AdvancedSettingsValues Values() const;
    ShellRegistrationState Registration() const;

    // The skin menu's commands: the default images, or a skin file.
    void RunSkinCommand(int command);

private:
    QString Text(int control) const;
    QWidget* BuildGeneral(const AdvancedSettingsValues& v);
    QWidget* BuildMouse(const AdvancedSettingsValues& v);
    QWidget* BuildPlayback(const AdvancedSettingsValues& v);
    QWidget* BuildDevices(const AdvancedSettingsValues& v, const AdvancedSettingsDevices& devices);
    QWidget* BuildCd(const AdvancedSettingsValues& v, const std::vector<std::string>& drives);
    QWidget* BuildRegistration();
    QWidget* BuildButtons();
    QCheckBox* NewCheckBox(int id, bool checked);
    QComboBox* NewClickCombo(int id, int action);
    QSlider* NewLevelSlider(int id, int position);
    // The click combos and press-and-hold are usable only with clicks on.
    void FollowNoClicks();
    // Ticking WAV output asks for the folder to write to.
    void ChooseWavFolder();
    void ShowSkinMenu();
    void OpenNowPlayingDialog();

    MainWndSettings& settings_;
    AdvancedSettingsHooks hooks_;
    const int language_;
    QListWidget* options_ = nullptr;
    QSpinBox* tpc_ = nullptr;
    std::array<QComboBox*, 4> leftClicks_{};
    std::array<QComboBox*, 4> rightClicks_{};
    QComboBox* pressAndHold_ = nullptr;
    QCheckBox* noClicks_ = nullptr;
    QSlider* priority_ = nullptr;
    QSlider* inputBuffers_ = nullptr;
    QSlider* buffers_ = nullptr;
    QCheckBox* highPriority_ = nullptr;
    QCheckBox* mono_ = nullptr;
    QCheckBox* downsampleHalf_ = nullptr;
    QCheckBox* downsampleQuarter_ = nullptr;
    QSpinBox* gap_ = nullptr;
    QComboBox* audioDevice_ = nullptr;
    QComboBox* mixerDevice_ = nullptr;
    QCheckBox* wavOutput_ = nullptr;
    QLineEdit* outPath_ = nullptr;
    QComboBox* cdDrive_ = nullptr;
    QCheckBox* autoCddb_ = nullptr;
    QLineEdit* cddbServer_ = nullptr;
    QLineEdit* email_ = nullptr;
    QPushButton* skin_ = nullptr;
    // MP3, WAV, audio CD, add as default, folder play, folder add.
    std::array<QCheckBox*, 6> registration_{};
    // A device stored but no longer listed stays as it is.
    int storedAudioDevice_ = -1;
    int storedMixerDevice_ = 0;
};

} // namespace zeb
