#include "ui/AdvancedSettingsDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/DialogControls.h"
#include "ui/NowPlayingDialog.h"
#include "ui/OpenDialogs.h"
#include "ui/OwnFileDialog.h"
#include "ui/TemplateMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace zeb {

namespace {

constexpr int kMaxTracksPerColumn = 100;
constexpr int kMaxGapMs = 10000;
constexpr int kTopLevel = 4; // sliders run 0..4
constexpr const char* kDefaultOutputName = "Wave Mapper";

int Flag(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// A label leading to the control it stands beside.
QLabel* NewLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

AdvancedSettingsDialog::AdvancedSettingsDialog(MainWndSettings& settings,
                                               AdvancedSettingsDevices devices,
                                               AdvancedSettingsHooks hooks, QWidget* parent)
    : QDialog(parent), settings_(settings), hooks_(std::move(hooks)), language_(settings.Language) {
    setObjectName(
        QStringLiteral("dlg-%1").arg(LocalizedResourceId(language_, IDD_ADVANCED_SETTINGS)));
    setWindowTitle(Text(kDialogCaption));
    const AdvancedSettingsValues v = AdvancedSettingsValues::From(settings);

    auto* left = new QVBoxLayout;
    left->addWidget(BuildGeneral(v));
    left->addWidget(BuildMouse(v));
    left->addWidget(BuildRegistration());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(BuildPlayback(v));
    right->addWidget(BuildDevices(v, devices));
    right->addWidget(BuildCd(v, devices.cdDrives));
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BuildButtons());
    bottom->addStretch();
    bottom->addWidget(AddOkCancel(this, Text(IDOK), Text(IDCANCEL)));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(bottom);
    FollowNoClicks();
    // The keyboard starts in the first group, like the controls' order.
    options_->setFocus();
}

QString AdvancedSettingsDialog::Text(int control) const {
    return FromUtf8(UiDialogText(language_, IDD_ADVANCED_SETTINGS, control));
}

QCheckBox* AdvancedSettingsDialog::NewCheckBox(int id, bool checked) {
    auto* box = new QCheckBox(Text(id), this);
    SetControlId(box, id);
    box->setChecked(checked);
    return box;
}

QComboBox* AdvancedSettingsDialog::NewClickCombo(int id, int action) {
    auto* combo = new QComboBox(this);
    SetControlId(combo, id);
    for (const std::string& text : ClickActionTexts(language_))
        combo->addItem(FromUtf8(text));
    combo->setCurrentIndex(ClickActionItem(language_, action));
    return combo;
}

QSlider* AdvancedSettingsDialog::NewLevelSlider(int id, int position) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    SetControlId(slider, id);
    slider->setRange(0, kTopLevel);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setValue(std::clamp(position, 0, kTopLevel));
    return slider;
}

QWidget* AdvancedSettingsDialog::BuildGeneral(const AdvancedSettingsValues& v) {
    auto* group = new QGroupBox(Text(IDC_ADV_GENERAL_GROUP), this);
    SetControlId(group, IDC_ADV_GENERAL_GROUP);
    options_ = new QListWidget(this);
    SetControlId(options_, IDC_ADV_OPTIONS);
    for (int i = 0; i < kAdvancedOptionCount; ++i) {
        auto* item = new QListWidgetItem(FromUtf8(UiString(language_, IDS_OPT_SIDE_BAR + i)));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(v.options[size_t(i)] != 0 ? Qt::Checked : Qt::Unchecked);
        options_->addItem(item);
    }
    options_->setCurrentRow(0);
    options_->setMinimumHeight(options_->sizeHintForRow(0) * kAdvancedOptionCount +
                               2 * options_->frameWidth());
    tpc_ = new QSpinBox(this);
    SetControlId(tpc_, IDC_ADV_TPC);
    tpc_->setRange(0, kMaxTracksPerColumn);
    tpc_->setValue(v.TPC);

    auto* tpcRow = new QHBoxLayout;
    tpcRow->addWidget(NewLabel(Text(IDC_ADV_TPC), tpc_));
    tpcRow->addWidget(tpc_);
    tpcRow->addStretch();
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(options_);
    layout->addLayout(tpcRow);
    return group;
}

QWidget* AdvancedSettingsDialog::BuildMouse(const AdvancedSettingsValues& v) {
    auto* group = new QGroupBox(Text(IDC_ADV_MOUSE_GROUP), this);
    SetControlId(group, IDC_ADV_MOUSE_GROUP);
    auto* grid = new QGridLayout;
    for (size_t i = 0; i < 4; ++i) {
        leftClicks_[i] = NewClickCombo(kLeftClickControls[i], v.Clicks[i]);
        rightClicks_[i] = NewClickCombo(kRightClickControls[i], v.RClicks[i]);
        const int row = int(i);
        grid->addWidget(NewLabel(Text(kLeftClickControls[i]), leftClicks_[i]), row, 0);
        grid->addWidget(leftClicks_[i], row, 1);
        grid->addWidget(NewLabel(Text(kRightClickControls[i]), rightClicks_[i]), row, 2);
        grid->addWidget(rightClicks_[i], row, 3);
    }
    pressAndHold_ = new QComboBox(this);
    SetControlId(pressAndHold_, IDC_ADV_PRESS_AND_HOLD);
    for (int id : {IDS_HOLD_NOTHING, IDS_HOLD_POSITION, IDS_HOLD_VOLUME})
        pressAndHold_->addItem(FromUtf8(UiString(language_, id)));
    pressAndHold_->setCurrentIndex(PressAndHoldItem(v.PressAndHold));
    grid->addWidget(NewLabel(Text(IDC_ADV_PRESS_AND_HOLD), pressAndHold_), 4, 0, 1, 2);
    grid->addWidget(pressAndHold_, 4, 2, 1, 2);
    noClicks_ = NewCheckBox(IDC_ADV_NO_CLICKS, v.NoClicks != 0);
    connect(noClicks_, &QCheckBox::clicked, this, &AdvancedSettingsDialog::FollowNoClicks);
    grid->addWidget(noClicks_, 5, 0, 1, 4);
    group->setLayout(grid);
    return group;
}

QWidget* AdvancedSettingsDialog::BuildPlayback(const AdvancedSettingsValues& v) {
    auto* group = new QGroupBox(Text(IDC_ADV_PLAYBACK_GROUP), this);
    SetControlId(group, IDC_ADV_PLAYBACK_GROUP);
    priority_ = NewLevelSlider(IDC_ADV_PRIORITY, v.Priority - 1);
    inputBuffers_ = NewLevelSlider(IDC_ADV_INPUT_BUFFERS, v.InputBuffers);
    buffers_ = NewLevelSlider(IDC_ADV_BUFFERS, v.Buffers);
    highPriority_ = NewCheckBox(IDC_ADV_HIGH_PRIORITY, v.HighPriority != 0);
    mono_ = NewCheckBox(IDC_ADV_MONO, v.ForceMono != 0);
    downsampleHalf_ = NewCheckBox(IDC_ADV_DOWNSAMPLE_2, v.Downsampling == 1);
    downsampleQuarter_ = NewCheckBox(IDC_ADV_DOWNSAMPLE_4, v.Downsampling == 2);
    // At most one of the two rates.
    connect(downsampleHalf_, &QCheckBox::clicked, this, [this] {
        if (downsampleHalf_->isChecked())
            downsampleQuarter_->setChecked(false);
    });
    connect(downsampleQuarter_, &QCheckBox::clicked, this, [this] {
        if (downsampleQuarter_->isChecked())
            downsampleHalf_->setChecked(false);
    });
    gap_ = new QSpinBox(this);
    SetControlId(gap_, IDC_ADV_GAP);
    gap_->setRange(0, kMaxGapMs);
    gap_->setValue(v.Gap);

    auto* grid = new QGridLayout(group);
    int row = 0;
    for (QSlider* slider : {priority_, inputBuffers_, buffers_}) {
        grid->addWidget(NewLabel(Text(slider->property("ctlId").toInt()), slider), row, 0);
        grid->addWidget(slider, row, 1, 1, 2);
        ++row;
    }
    grid->addWidget(highPriority_, row, 0);
    grid->addWidget(mono_, row++, 1);
    grid->addWidget(downsampleHalf_, row, 0);
    grid->addWidget(downsampleQuarter_, row++, 1);
    grid->addWidget(NewLabel(Text(IDC_ADV_GAP), gap_), row, 0);
    grid->addWidget(gap_, row, 1);
    auto* unit = new QLabel(Text(IDC_ADV_GAP_UNIT), this);
    SetControlId(unit, IDC_ADV_GAP_UNIT);
    grid->addWidget(unit, row, 2);
    return group;
}

QWidget* AdvancedSettingsDialog::BuildDevices(const AdvancedSettingsValues& v,
                                              const AdvancedSettingsDevices& devices) {
    auto* group = new QGroupBox(Text(IDC_ADV_DEVICES_GROUP), this);
    SetControlId(group, IDC_ADV_DEVICES_GROUP);
    audioDevice_ = new QComboBox(this);
    SetControlId(audioDevice_, IDC_ADV_AUDIO_DEVICE);
    audioDevice_->addItem(QString::fromLatin1(kDefaultOutputName));
    for (const std::string& name : devices.outputs)
        audioDevice_->addItem(FromUtf8(name));
    storedAudioDevice_ = v.ADevice;
    audioDevice_->setCurrentIndex(v.ADevice + 1 < audioDevice_->count() ? v.ADevice + 1 : -1);
    mixerDevice_ = new QComboBox(this);
    SetControlId(mixerDevice_, IDC_ADV_MIXER_DEVICE);
    for (const std::string& name : devices.mixers)
        mixerDevice_->addItem(FromUtf8(name));
    storedMixerDevice_ = v.MDevice;
    mixerDevice_->setCurrentIndex(v.MDevice < mixerDevice_->count() ? v.MDevice : -1);
    wavOutput_ = NewCheckBox(IDC_ADV_WAV_OUTPUT, v.OutputModule == 0);
    connect(wavOutput_, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            ChooseWavFolder();
    });
    outPath_ = new QLineEdit(NativePath(v.OutPath), this);
    SetControlId(outPath_, IDC_ADV_OUT_PATH);
    outPath_->setMinimumWidth(200);

    auto* grid = new QGridLayout(group);
    grid->addWidget(NewLabel(Text(IDC_ADV_AUDIO_DEVICE), audioDevice_), 0, 0);
    grid->addWidget(audioDevice_, 0, 1);
    grid->addWidget(NewLabel(Text(IDC_ADV_MIXER_DEVICE), mixerDevice_), 1, 0);
    grid->addWidget(mixerDevice_, 1, 1);
    grid->addWidget(wavOutput_, 2, 0);
    grid->addWidget(outPath_, 2, 1);
    return group;
}

QWidget* AdvancedSettingsDialog::BuildCd(const AdvancedSettingsValues& v,
                                         const std::vector<std::string>& drives) {
    auto* group = new QGroupBox(Text(IDC_ADV_CD_GROUP), this);
    SetControlId(group, IDC_ADV_CD_GROUP);
    // The machine's CD drives, and the disc image in use, which the user
    // may replace by typing another image's path.
    cdDrive_ = new QComboBox(this);
    SetControlId(cdDrive_, IDC_ADV_CD_DRIVE);
    cdDrive_->setEditable(true);
    cdDrive_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& drive : drives)
        cdDrive_->addItem(NativePath(drive));
    const QString current = NativePath(v.CDLetter);
    if (!current.isEmpty() && cdDrive_->findText(current) < 0)
        cdDrive_->addItem(current);
    cdDrive_->setCurrentIndex(cdDrive_->findText(current));
    cdDrive_->setEnabled(cdDrive_->count() > 0);
    autoCddb_ = NewCheckBox(IDC_ADV_AUTO_CDDB, v.AutoCDDB != 0);
    cddbServer_ = new QLineEdit(FromUtf8(v.CDDBServer), this);
    SetControlId(cddbServer_, IDC_ADV_CDDB_SERVER);
    email_ = new QLineEdit(FromUtf8(v.EMailAddress), this);
    SetControlId(email_, IDC_ADV_EMAIL);

    auto* grid = new QGridLayout(group);
    grid->addWidget(NewLabel(Text(IDC_ADV_CD_DRIVE), cdDrive_), 0, 0);
    grid->addWidget(cdDrive_, 0, 1);
    grid->addWidget(autoCddb_, 1, 0, 1, 2);
    grid->addWidget(NewLabel(Text(IDC_ADV_CDDB_SERVER), cddbServer_), 2, 0);
    grid->addWidget(cddbServer_, 2, 1);
    grid->addWidget(NewLabel(Text(IDC_ADV_EMAIL), email_), 3, 0);
    grid->addWidget(email_, 3, 1);
    return group;
}

// The registration's boxes show the desktop's state as it is now.
QWidget* AdvancedSettingsDialog::BuildRegistration() {
    const bool available = hooks_.readRegistration && hooks_.writeRegistration;
    const ShellRegistrationState state =
        available ? hooks_.readRegistration() : ShellRegistrationState{};
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    auto label = [this](int id) {
        auto* l = new QLabel(Text(id), this);
        SetControlId(l, id);
        return l;
    };
    auto check = [&](int id, bool checked) {
        QCheckBox* c = NewCheckBox(id, checked);
        c->setEnabled(available);
        return c;
    };
    registration_ = {check(IDC_ADV_REG_MP3, state.mp3),
                     check(IDC_ADV_REG_WAV, state.wav),
                     check(IDC_ADV_REG_AUDIO_CD, state.audioCd),
                     check(IDC_ADV_REG_ADD_DEFAULT, state.addDefault),
                     check(IDC_ADV_REG_FOLDER_PLAY, state.folderPlay),
                     check(IDC_ADV_REG_FOLDER_ADD, state.folderAdd)};
    const auto [mp3, wav, audioCd, addDefault, folderPlay, folderAdd] = registration_;
    connect(wav, &QCheckBox::clicked, this, [this](bool checked) {
        if (checked)
            QMessageBox::warning(this, QStringLiteral("ZEB"),
                                 FromUtf8(UiString(language_, IDS_WAV_WARNING)));
    });
    grid->addWidget(label(IDC_ADV_REG_FILES_LABEL), 0, 0, 1, 3);
    grid->addWidget(mp3, 1, 0);
    grid->addWidget(wav, 1, 1);
    grid->addWidget(audioCd, 1, 2);
    grid->addWidget(addDefault, 2, 0, 1, 3);
    grid->addWidget(label(IDC_ADV_REG_FOLDERS_LABEL), 3, 0, 1, 3);
    grid->addWidget(folderPlay, 4, 0);
    grid->addWidget(folderAdd, 4, 1);
    return box;
}

ShellRegistrationState AdvancedSettingsDialog::Registration() const {
    const auto [mp3, wav, audioCd, addDefault, folderPlay, folderAdd] = registration_;
    return {mp3->isChecked(),        wav->isChecked(),        audioCd->isChecked(),
            addDefault->isChecked(), folderPlay->isChecked(), folderAdd->isChecked()};
}

QWidget* AdvancedSettingsDialog::BuildButtons() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [&](int id) {
        auto* b = new QPushButton(Text(id), this);
        SetControlId(b, id);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    connect(button(IDC_ADV_HOTKEYS), &QPushButton::clicked, this, [this] {
        if (hooks_.editHotkeys)
            hooks_.editHotkeys(this);
    });
    skin_ = button(IDC_ADV_SKIN);
    connect(skin_, &QPushButton::clicked, this, &AdvancedSettingsDialog::ShowSkinMenu);
    connect(button(IDC_ADV_NOW_PLAYING), &QPushButton::clicked, this,
            &AdvancedSettingsDialog::OpenNowPlayingDialog);
    return box;
}

void AdvancedSettingsDialog::FollowNoClicks() {
    const bool clicks = !noClicks_->isChecked();
    for (QComboBox* combo : leftClicks_)
        combo->setEnabled(clicks);
    for (QComboBox* combo : rightClicks_)
        combo->setEnabled(clicks);
    pressAndHold_->setEnabled(clicks);
}

void AdvancedSettingsDialog::ChooseWavFolder() {
    auto* dialog = new QFileDialog(this);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(FromUtf8(UiString(language_, IDS_CHOOSE_FOLDER_TO_WRITE)));
    QString start = outPath_->text();
    while (start.size() > 1 && start.endsWith(QLatin1Char('/')))
        start.chop(1);
    if (!start.isEmpty())
        dialog->setDirectory(start);
    QPointer<AdvancedSettingsDialog> self(this);
    QString folder = RunOwnFileDialogForOne(dialog);
    if (!self) // closed with the program while the browser ran
        return;
    if (folder.isEmpty()) {
        wavOutput_->setChecked(false);
        return;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    outPath_->setText(folder);
}

void AdvancedSettingsDialog::ShowSkinMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(
        QStringLiteral("menu-%1").arg(LocalizedResourceId(language_, IDR_MENU_SKIN)));
    AddTemplateItems(menu, LoadMenuTemplate(language_, IDR_MENU_SKIN).items);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        // The open command shows a dialog: it runs once the menu has gone.
        if (int id = CommandOfAction(action))
            QTimer::singleShot(0, this, [this, id] { RunSkinCommand(id); });
    });
    menu->popup(skin_->mapToGlobal(skin_->rect().center()));
}

void AdvancedSettingsDialog::RunSkinCommand(int command) {
    if (command == ID_SKIN_DEFAULT) {
        settings_.CurrentSkin.clear();
    } else if (command == ID_SKIN_OPEN) {
        auto* dialog = new QFileDialog(this);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setDefaultSuffix(QStringLiteral("skn"));
        dialog->setNameFilters(NameFiltersFromFilterString(UiString(language_, IDS_FILTER_SKINS)));
        dialog->setDirectory(QCoreApplication::applicationDirPath());
        QPointer<AdvancedSettingsDialog> self(this);
        const QString skin = RunOwnFileDialogForOne(dialog);
        if (!self || skin.isEmpty())
            return;
        settings_.CurrentSkin = StdPath(skin);
    } else {
        return;
    }
    if (hooks_.skinChanged)
        hooks_.skinChanged();
}

void AdvancedSettingsDialog::OpenNowPlayingDialog() {
    QPointer<NowPlayingDialog> dialog = new NowPlayingDialog(settings_, this);
    dialog->exec();
    delete dialog;
}

AdvancedSettingsValues AdvancedSettingsDialog::Values() const {
    AdvancedSettingsValues v;
    for (int i = 0; i < kAdvancedOptionCount; ++i)
        v.options[size_t(i)] = options_->item(i)->checkState() == Qt::Checked ? 1 : 0;
    v.TPC = tpc_->value();
    for (size_t i = 0; i < 4; ++i) {
        v.Clicks[i] = ClickActionValue(language_, leftClicks_[i]->currentText().toStdString());
        v.RClicks[i] = ClickActionValue(language_, rightClicks_[i]->currentText().toStdString());
    }
    v.PressAndHold = PressAndHoldValue(pressAndHold_->currentIndex());
    v.NoClicks = Flag(noClicks_);
    v.Priority = priority_->value() + 1;
    v.InputBuffers = inputBuffers_->value();
    v.Buffers = buffers_->value();
    v.HighPriority = Flag(highPriority_);
    v.ForceMono = Flag(mono_);
    v.Downsampling =
        DownsamplingValue(downsampleHalf_->isChecked(), downsampleQuarter_->isChecked());
    v.Gap = gap_->value();
    const int audio = audioDevice_->currentIndex();
    v.ADevice = audio < 0 ? storedAudioDevice_ : audio - 1;
    const int mixer = mixerDevice_->currentIndex();
    v.MDevice = mixer < 0 ? storedMixerDevice_ : mixer;
    v.OutputModule = wavOutput_->isChecked() ? 0 : 1;
    v.OutPath = StdPath(outPath_->text());
    v.CDLetter = StdPath(cdDrive_->currentText().trimmed());
    v.AutoCDDB = Flag(autoCddb_);
    v.CDDBServer = cddbServer_->text().toStdString();
    v.EMailAddress = email_->text().toStdString();
    return v;
}

void AdvancedSettingsDialog::accept() {
    const AdvancedSettingsValues v = Values();
    if (!v.HasMainMenuClick()) {
        QMessageBox::critical(this, QStringLiteral("ZEB"),
                              FromUtf8(UiString(language_, IDS_NEED_MAIN_MENU_CLICK)));
        return;
    }
    const MainWndSettings before = settings_;
    if (hooks_.changeCdDrive)
        hooks_.changeCdDrive(v.CDLetter);
    else
        settings_.CDLetter = v.CDLetter;
    v.StoreInto(settings_);
    if (hooks_.applied)
        hooks_.applied(before);
    if (hooks_.readRegistration && hooks_.writeRegistration)
        hooks_.writeRegistration(Registration());
    QDialog::accept();
}

} // namespace zeb
