// The advanced settings dialog offscreen: settings into controls and back,
// the rules between controls, the checks of OK, Cancel, the WAV folder and
// the skin menu.
#include "ui/AdvancedSettingsDialog.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "support/TempDir.h"
#include "ui/DialogControls.h"
#include "ui/TemplateMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ModalDriver;

class AdvancedSettingsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }
    void SetUp() override {
        s_.ADevice = -1;
        s_.MDevice = 1;
        s_.Clicks = {1, 11, 0, 0};
        s_.RClicks = {10, 0, 0, 5};
        s_.PressAndHold = 0;
        s_.Priority = 5;
        s_.Downsampling = 2;
        s_.WAEmu = 0;
        s_.OutputModule = 1;
        s_.OutPath = dir_.Path().string() + "/";
        s_.CDLetter = "/dev/sr0";
        devices_.outputs = {"Built-in Audio", "USB Headset"};
        devices_.mixers = {"Default", "Built-in Audio"};
        devices_.cdDrives = {"/dev/sr0", "/dev/sr1"};
    }

    std::unique_ptr<AdvancedSettingsDialog> Open() {
        AdvancedSettingsHooks hooks;
        hooks.changeCdDrive = [this](const std::string& drive) {
            chosenDrives_.push_back(drive);
            s_.CDLetter = drive;
        };
        hooks.applied = [this](const MainWndSettings& before) { appliedFrom_.push_back(before); };
        hooks.skinChanged = [this] { ++skinChanges_; };
        if (registration_) {
            hooks.readRegistration = [this] { return registration_->Read(); };
            hooks.writeRegistration = [this](const ShellRegistrationState& state) {
                registration_->Write(state);
            };
        }
        auto d = std::make_unique<AdvancedSettingsDialog>(s_, devices_, hooks);
        d->show();
        return d;
    }

    template <typename T = QWidget>
    static T* Control(QWidget* d, int id) {
        T* control = FindControl<T>(d, id);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    static void Click(QWidget* d, int id) {
        auto* button = Control<QAbstractButton>(d, id);
        // A check box takes clicks on its box and text only, at its left.
        QPoint at = qobject_cast<QCheckBox*>(button) ? QPoint(4, button->height() / 2)
                                                     : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }
    static bool Checked(QWidget* d, int id) { return Control<QCheckBox>(d, id)->isChecked(); }
    static QString Shown(QWidget* d, int id) { return Control<QComboBox>(d, id)->currentText(); }
    static void Choose(QWidget* d, int id, const QString& text) {
        auto* combo = Control<QComboBox>(d, id);
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo->setCurrentIndex(index);
    }
    // Ticks or unticks option `row` of the check-list as a user does: the
    // row made current, then the space bar.
    static void ToggleOption(QWidget* d, int row) {
        auto* list = Control<QListWidget>(d, IDC_ADV_OPTIONS);
        list->setFocus();
        list->setCurrentRow(row);
        QTest::keyClick(list, Qt::Key_Space);
    }

    test::TempDir dir_;
    MainWndSettings s_;
    AdvancedSettingsDevices devices_;
    std::vector<std::string> chosenDrives_;
    std::vector<MainWndSettings> appliedFrom_;
    int skinChanges_ = 0;
    std::unique_ptr<ShellRegistration> registration_;
};

TEST_F(AdvancedSettingsDialogTest, ShowsTheSettingsAndOkStoresWhatTheControlsShow) {
    auto d = Open();
    EXPECT_EQ(d->objectName(), "dlg-110");
    EXPECT_EQ(d->windowTitle(), "Avancerede Indstillinger");
    // The default output first; device k is item k + 1.
    EXPECT_EQ(Shown(d.get(), IDC_ADV_AUDIO_DEVICE), "Wave Mapper");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_MIXER_DEVICE), "Built-in Audio");
    // Actions are listed in menu order, album tracks after tracks.
    EXPECT_EQ(Shown(d.get(), IDC_ADV_LEFT_CLICKS2), "Album numre");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_RIGHT_CLICKS1), "Hoved menu");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_RIGHT_CLICKS4), "Numre");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_PRESS_AND_HOLD), "Skifter position");
    EXPECT_EQ(Control<QSlider>(d.get(), IDC_ADV_PRIORITY)->value(), 4);
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_2));
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_4));
    EXPECT_EQ(Shown(d.get(), IDC_ADV_CD_DRIVE), "/dev/sr0");

    Choose(d.get(), IDC_ADV_AUDIO_DEVICE, "Built-in Audio");
    Choose(d.get(), IDC_ADV_MIXER_DEVICE, "Default");
    Choose(d.get(), IDC_ADV_LEFT_CLICKS1, "Minivindue");
    Choose(d.get(), IDC_ADV_LEFT_CLICKS2, "Afsp. liste");
    Choose(d.get(), IDC_ADV_RIGHT_CLICKS4, "Album numre");
    Choose(d.get(), IDC_ADV_PRESS_AND_HOLD, "(intet)");
    Choose(d.get(), IDC_ADV_CD_DRIVE, "/dev/sr1");
    Control<QSlider>(d.get(), IDC_ADV_PRIORITY)->setValue(0);
    Control<QSlider>(d.get(), IDC_ADV_BUFFERS)->setValue(4);
    Control<QSpinBox>(d.get(), IDC_ADV_GAP)->setValue(1500);
    Control<QSpinBox>(d.get(), IDC_ADV_TPC)->setValue(12);
    Click(d.get(), IDC_ADV_DOWNSAMPLE_4);
    Click(d.get(), IDC_ADV_MONO);
    Click(d.get(), IDC_ADV_AUTO_CDDB);
    ToggleOption(d.get(), 6); // "Emuler Winamp"
    ToggleOption(d.get(), 0); // "Bar i hovedmenu"
    Control<QLineEdit>(d.get(), IDC_ADV_CDDB_SERVER)->setText("cddb.example.net");
    Click(d.get(), IDOK);

    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(s_.ADevice, 0);
    EXPECT_EQ(s_.MDevice, 0);
    EXPECT_EQ(s_.Clicks, (std::array<int, 4>{6, 7, 0, 0}));
    EXPECT_EQ(s_.RClicks, (std::array<int, 4>{10, 0, 0, 11}));
    EXPECT_EQ(s_.PressAndHold, 2);
    EXPECT_EQ(s_.Priority, 1);
    EXPECT_EQ(s_.Buffers, 4);
    EXPECT_EQ(s_.Gap, 1500);
    EXPECT_EQ(s_.TPC, 12);
    EXPECT_EQ(s_.Downsampling, 0);
    EXPECT_EQ(s_.ForceMono, 1);
    EXPECT_EQ(s_.AutoCDDB, 1);
    EXPECT_EQ(s_.WAEmu, 1);
    EXPECT_EQ(s_.ShowGradientBar, 1);
    EXPECT_EQ(s_.GraphicalButtons, 1); // untouched options keep their value
    EXPECT_EQ(s_.CDDBServer, "cddb.example.net");
    EXPECT_EQ(chosenDrives_, std::vector<std::string>{"/dev/sr1"});
    EXPECT_EQ(s_.CDLetter, "/dev/sr1");
    // The program is told once, with the settings from before.
    ASSERT_EQ(appliedFrom_.size(), 1u);
    EXPECT_EQ(appliedFrom_[0].MDevice, 1);
    EXPECT_EQ(appliedFrom_[0].WAEmu, 0);
}

TEST_F(AdvancedSettingsDialogTest, RussianDialogKeepsEveryValueThroughOk) {
    s_.Language = 1;
    s_.Clicks = {1, 4, 3, 2};
    s_.RClicks = {10, 11, 9, 8};
    s_.PressAndHold = 1;
    s_.Downsampling = 1;
    s_.ADevice = 1;
    const MainWndSettings before = s_;
    auto d = Open();
    EXPECT_EQ(d->objectName(), "dlg-160");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_RIGHT_CLICKS1), "Главное меню");
    EXPECT_EQ(Shown(d.get(), IDC_ADV_AUDIO_DEVICE), "USB Headset");
    Click(d.get(), IDOK);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(s_, before);
}

TEST_F(AdvancedSettingsDialogTest, BoxesThatRuleOtherControls) {
    s_.NoClicks = 0;
    s_.Downsampling = 0;
    auto d = Open();
    // The two down-sampling rates exclude each other; either may be off.
    Click(d.get(), IDC_ADV_DOWNSAMPLE_2);
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_2));
    Click(d.get(), IDC_ADV_DOWNSAMPLE_4);
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_4));
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_2));
    Click(d.get(), IDC_ADV_DOWNSAMPLE_2);
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_4));
    Click(d.get(), IDC_ADV_DOWNSAMPLE_2);
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_2));
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_DOWNSAMPLE_4));

    // "Brug ikke klik" switches the nine mouse combos off and on again.
    const std::vector<int> combos = {IDC_ADV_LEFT_CLICKS1, IDC_ADV_LEFT_CLICKS4,
                                     IDC_ADV_RIGHT_CLICKS1, IDC_ADV_RIGHT_CLICKS4,
                                     IDC_ADV_PRESS_AND_HOLD};
    for (int id : combos)
        EXPECT_TRUE(Control(d.get(), id)->isEnabled()) << id;
    Click(d.get(), IDC_ADV_NO_CLICKS);
    for (int id : combos)
        EXPECT_FALSE(Control(d.get(), id)->isEnabled()) << id;
    Click(d.get(), IDC_ADV_NO_CLICKS);
    for (int id : combos)
        EXPECT_TRUE(Control(d.get(), id)->isEnabled()) << id;

    // Opened with clicks off, they start disabled.
    s_.NoClicks = 1;
    auto off = Open();
    EXPECT_FALSE(Control(off.get(), IDC_ADV_RIGHT_CLICKS2)->isEnabled());
    EXPECT_FALSE(Control(off.get(), IDC_ADV_PRESS_AND_HOLD)->isEnabled());
    // Without a registration to read and write, its boxes cannot be used.
    for (int id : {IDC_ADV_REG_MP3, IDC_ADV_REG_WAV, IDC_ADV_REG_AUDIO_CD, IDC_ADV_REG_ADD_DEFAULT,
                   IDC_ADV_REG_FOLDER_PLAY, IDC_ADV_REG_FOLDER_ADD})
        EXPECT_FALSE(Control(off.get(), id)->isEnabled()) << id;
}

TEST_F(AdvancedSettingsDialogTest, RegistrationBoxesShowTheDesktopStateAndOkRewritesIt) {
    registration_ = std::make_unique<ShellRegistration>(
        XdgUserFolders{dir_.File("data"), dir_.File("config")}, "/opt/zeb/bin/zeb");
    ASSERT_TRUE(registration_->Write({.mp3 = true, .audioCd = true, .folderAdd = true}));
    auto d = Open();
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_REG_MP3));
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_REG_WAV));
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_REG_AUDIO_CD));
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_REG_ADD_DEFAULT));
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_REG_FOLDER_PLAY));
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_REG_FOLDER_ADD));

    // Ticking WAV warns that only MP3 inside WAV plays.
    QString warning;
    auto driver = ModalDriver::For<QMessageBox>([&](QMessageBox* box) {
        warning = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->accept();
    });
    Click(d.get(), IDC_ADV_REG_WAV);
    EXPECT_TRUE(driver->Ran());
    EXPECT_TRUE(warning.contains("RIFF WAV MP3")) << warning.toStdString();
    Click(d.get(), IDC_ADV_REG_MP3);
    Click(d.get(), IDC_ADV_REG_ADD_DEFAULT);
    Click(d.get(), IDC_ADV_REG_FOLDER_PLAY);
    Click(d.get(), IDC_ADV_REG_FOLDER_ADD);
    // Nothing is written before OK.
    EXPECT_EQ(registration_->Read(),
              (ShellRegistrationState{.mp3 = true, .audioCd = true, .folderAdd = true}));
    Click(d.get(), IDOK);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(registration_->Read(),
              (ShellRegistrationState{
                  .wav = true, .audioCd = true, .addDefault = true, .folderPlay = true}));
}

TEST_F(AdvancedSettingsDialogTest, OkNeedsAClickThatOpensTheMainMenu) {
    s_.NoClicks = 1; // even with clicks off
    const MainWndSettings before = s_;
    auto d = Open();
    Choose(d.get(), IDC_ADV_RIGHT_CLICKS1, "Næste");
    Control<QSpinBox>(d.get(), IDC_ADV_GAP)->setValue(700);
    QString message;
    auto driver = ModalDriver::For<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        EXPECT_EQ(box->windowTitle(), "ZEB");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->accept();
    });
    Click(d.get(), IDOK);
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(message, "Mindst et klik bør sættes til 'Hoved menu'!");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(s_, before);
    EXPECT_TRUE(appliedFrom_.empty());

    // The fourth right click will do.
    Control(d.get(), IDC_ADV_RIGHT_CLICKS4)->setEnabled(true);
    Choose(d.get(), IDC_ADV_RIGHT_CLICKS4, "Hoved menu");
    Click(d.get(), IDOK);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(s_.RClicks, (std::array<int, 4>{4, 0, 0, 10}));
    EXPECT_EQ(s_.Gap, 700);
}

TEST_F(AdvancedSettingsDialogTest, CancelStoresNothing) {
    const MainWndSettings before = s_;
    auto d = Open();
    Choose(d.get(), IDC_ADV_AUDIO_DEVICE, "USB Headset");
    Choose(d.get(), IDC_ADV_CD_DRIVE, "/dev/sr1");
    Click(d.get(), IDC_ADV_HIGH_PRIORITY);
    ToggleOption(d.get(), 6);
    Control<QLineEdit>(d.get(), IDC_ADV_EMAIL)->setText("x@example.org");
    Click(d.get(), IDCANCEL);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(s_, before);
    EXPECT_TRUE(chosenDrives_.empty());
    EXPECT_TRUE(appliedFrom_.empty());
}

TEST_F(AdvancedSettingsDialogTest, CdDriveListAndTypedImage) {
    // No drive and none chosen: nothing to choose, and OK stores no drive.
    devices_.cdDrives.clear();
    s_.CDLetter.clear();
    auto none = Open();
    auto* combo = Control<QComboBox>(none.get(), IDC_ADV_CD_DRIVE);
    EXPECT_FALSE(combo->isEnabled());
    EXPECT_EQ(combo->count(), 0);
    Click(none.get(), IDOK);
    EXPECT_EQ(chosenDrives_, std::vector<std::string>{""});

    // A disc image in use is offered beside the drives, and another image's
    // path can be typed.
    chosenDrives_.clear();
    devices_.cdDrives = {"/dev/sr0"};
    s_.CDLetter = dir_.File("disc one.cue");
    auto d = Open();
    combo = Control<QComboBox>(d.get(), IDC_ADV_CD_DRIVE);
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentText(), QString::fromStdString(dir_.File("disc one.cue")));
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QString::fromStdString(dir_.File("disc two.cue")));
    Click(d.get(), IDOK);
    EXPECT_EQ(chosenDrives_, std::vector<std::string>{dir_.File("disc two.cue")});
}

TEST_F(AdvancedSettingsDialogTest, WavOutputAsksForItsFolder) {
    const std::string folder = dir_.Path().string() + "/wav out";
    std::filesystem::create_directory(folder);
    auto d = Open();
    auto* path = Control<QLineEdit>(d.get(), IDC_ADV_OUT_PATH);

    // Cancelling the folder browser unticks the box and keeps the path.
    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* f) {
        EXPECT_EQ(f->windowTitle(), "Vælg den mappe du vil skrive til...");
        EXPECT_EQ(f->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(f->directory().absolutePath(), QString::fromStdString(dir_.Path().string()));
        f->reject();
    });
    Click(d.get(), IDC_ADV_WAV_OUTPUT);
    EXPECT_TRUE(driver->Ran());
    EXPECT_FALSE(Checked(d.get(), IDC_ADV_WAV_OUTPUT));
    EXPECT_EQ(path->text().toStdString(), s_.OutPath);

    // A chosen folder goes into the path with a trailing '/'.
    driver = ModalDriver::For<QFileDialog>([&](QFileDialog* f) {
        f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(folder));
        static_cast<QDialog*>(f)->accept();
    });
    Click(d.get(), IDC_ADV_WAV_OUTPUT);
    EXPECT_TRUE(driver->Ran());
    EXPECT_TRUE(Checked(d.get(), IDC_ADV_WAV_OUTPUT));
    EXPECT_EQ(path->text().toStdString(), folder + "/");
    Click(d.get(), IDOK);
    EXPECT_EQ(s_.OutputModule, 0);
    EXPECT_EQ(s_.OutPath, folder + "/");
}

// The program may close the dialog at exit while its folder browser runs.
TEST_F(AdvancedSettingsDialogTest, ClosedWhileTheFolderBrowserRuns) {
    AdvancedSettingsDialog* d = Open().release();
    auto* wav = Control<QCheckBox>(d, IDC_ADV_WAV_OUTPUT);
    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog*) { delete d; });
    wav->click();
    EXPECT_TRUE(driver->Ran());
}

TEST_F(AdvancedSettingsDialogTest, SkinMenuTakesEffectEvenWhenCancelled) {
    s_.CurrentSkin = dir_.File("old.skn");
    auto d = Open();
    Click(d.get(), IDC_ADV_SKIN);
    QMenu* menu = nullptr;
    auto shown = [&] {
        menu = d->findChild<QMenu*>(QStringLiteral("menu-105"));
        return menu && menu->isVisible();
    };
    ASSERT_TRUE(QTest::qWaitFor(shown, 20000));
    QAction* useDefault = FindCommandAction(menu, ID_SKIN_DEFAULT);
    ASSERT_NE(useDefault, nullptr);
    menu->activateWindow();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(useDefault).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return skinChanges_ == 1; }, 20000));
    EXPECT_EQ(s_.CurrentSkin, "");

    // A skin file chosen from the open dialog; Cancel keeps it.
    const std::string skin = dir_.File("blue.skn");
    test::WriteFile(skin, "skin");
    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* f) {
        EXPECT_EQ(f->defaultSuffix(), "skn");
        EXPECT_EQ(f->fileMode(), QFileDialog::ExistingFile);
        f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(skin));
        static_cast<QDialog*>(f)->accept();
    });
    d->RunSkinCommand(ID_SKIN_OPEN);
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(skinChanges_, 2);
    Click(d.get(), IDCANCEL);
    EXPECT_EQ(s_.CurrentSkin, skin);
}

} // namespace
} // namespace zeb
