#include "ui/AutomationDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "ui/DialogControls.h"
#include "ui/OwnFileDialog.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QVBoxLayout>

namespace zeb {

namespace {

constexpr int kArrowsFirst = 1;
constexpr int kArrowsLast = 60;
// Four digits: the longest period still fits the timer's milliseconds.
constexpr int kLongestPeriod = 9999;
constexpr int kFolderListScrollWidth = 500;

int Flag(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// A folder dialog of our own, showing folders only; empty when cancelled.
std::string AskForFolder(QWidget* parent, int language) {
    auto* dialog = new QFileDialog(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(FromUtf8(UiString(language, IDS_CHOOSE_FOLDER_TO_OPEN)));
    return StdPath(RunOwnFileDialogForOne(dialog));
}

} // namespace

AutomationDialog::AutomationDialog(MainWndSettings& settings, AutomationDialogHooks hooks,
                                   QWidget* parent)
    : QDialog(parent), settings_(settings), hooks_(std::move(hooks)), language_(settings.Language) {
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language_, IDD_AUTOMATION)));
    setWindowTitle(Text(kDialogCaption));
    saveSettings_ = NewCheckBox(IDC_AUT_SAVE_SETTINGS, settings.AutSaveset);
    sort_ = NewCheckBox(IDC_AUT_SORT, settings.AutSort);
    removeMissing_ = NewCheckBox(IDC_AUT_REMOVE_MISSING, settings.AutRemove);
    removeDuplicates_ = NewCheckBox(IDC_AUT_REMOVE_DUPLICATES, settings.AutRemovedup);
    rescan_ = NewCheckBox(IDC_AUT_RESCAN, settings.AutRescan);
    onStart_ = NewCheckBox(IDC_AUT_ON_START, settings.AutOnStart);
    every_ = NewCheckBox(IDC_AUT_EVERY, settings.AutEvery);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(saveSettings_);
    layout->addWidget(sort_);
    layout->addWidget(removeMissing_);
    layout->addWidget(removeDuplicates_);
    layout->addWidget(rescan_);
    layout->addWidget(BuildFolders());
    layout->addWidget(onStart_);
    layout->addLayout(BuildPeriod());
    layout->addWidget(AddOkCancel(this, Text(IDOK), Text(IDCANCEL)));
}

QString AutomationDialog::Text(int control) const {
    return FromUtf8(UiDialogText(language_, IDD_AUTOMATION, control));
}

QCheckBox* AutomationDialog::NewCheckBox(int id, int flag) {
    auto* box = new QCheckBox(Text(id), this);
    SetControlId(box, id);
    box->setChecked(flag == 1);
    return box;
}

QWidget* AutomationDialog::BuildFolders() {
    auto* box = new QWidget(this);
    folders_ = new QListWidget(box);
    SetControlId(folders_, IDC_AUT_FOLDERS);
    // Long paths scroll sideways instead of widening the dialog.
    folders_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    folders_->setMinimumWidth(kFolderListScrollWidth / 2);
    for (const std::string& folder : settings_.AutDirs)
        folders_->addItem(NativePath(folder));
    auto* add = new QPushButton(Text(IDC_AUT_ADD_FOLDER), box);
    SetControlId(add, IDC_AUT_ADD_FOLDER);
    auto* remove = new QPushButton(Text(IDC_AUT_REMOVE_FOLDER), box);
    SetControlId(remove, IDC_AUT_REMOVE_FOLDER);
    for (QPushButton* button : {add, remove}) {
        button->setAutoDefault(false);
        button->setFixedWidth(button->fontMetrics().height() * 2);
    }
    connect(add, &QPushButton::clicked, this, &AutomationDialog::AddFolder);
    connect(remove, &QPushButton::clicked, this, &AutomationDialog::RemoveSelectedFolder);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(folders_);
    row->addLayout(buttons);
    return box;
}

// The period is typed in digits; the arrows beside it step it within an hour.
QLayout* AutomationDialog::BuildPeriod() {
    period_ = new QLineEdit(QString::number(settings_.AutPeriod), this);
    SetControlId(period_, IDC_AUT_PERIOD);
    period_->setValidator(new QIntValidator(0, kLongestPeriod, period_));
    period_->setMaxLength(4);
    period_->setFixedWidth(period_->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    periodArrows_ = new QSpinBox(this);
    SetControlId(periodArrows_, IDC_AUT_PERIOD_SPIN);
    periodArrows_->setRange(kArrowsFirst, kArrowsLast);
    periodArrows_->setValue(std::clamp(settings_.AutPeriod, kArrowsFirst, kArrowsLast));
    // Only its arrows show: the number is the field's.
    QStyleOptionSpinBox option;
    option.initFrom(periodArrows_);
    option.subControls = QStyle::SC_SpinBoxUp;
    const QRect up = periodArrows_->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                            QStyle::SC_SpinBoxUp, periodArrows_);
    periodArrows_->setFixedWidth(
        up.width() + 2 * periodArrows_->style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth));
    connect(periodArrows_, &QSpinBox::valueChanged, this,
            [this](int value) { period_->setText(QString::number(value)); });
    connect(period_, &QLineEdit::textEdited, this, &AutomationDialog::FollowTypedPeriod);
    auto* minutes = new QLabel(Text(IDC_AUT_MINUTES_LABEL), this);
    SetControlId(minutes, IDC_AUT_MINUTES_LABEL);

    auto* row = new QHBoxLayout;
    row->addWidget(every_);
    row->addWidget(period_);
    row->addWidget(periodArrows_);
    row->addWidget(minutes);
    row->addStretch();
    return row;
}

// The arrows go on from a typed value inside their range.
void AutomationDialog::FollowTypedPeriod(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < kArrowsFirst || value > kArrowsLast)
        return;
    QSignalBlocker quiet(periodArrows_);
    periodArrows_->setValue(value);
}

void AutomationDialog::AddFolder() {
    std::string folder =
        hooks_.chooseFolder ? hooks_.chooseFolder(this) : AskForFolder(this, language_);
    if (folder.empty())
        return;
    if (folder.back() != '/')
        folder += '/';
    folders_->addItem(NativePath(folder));
}

void AutomationDialog::RemoveSelectedFolder() {
    const QList<QListWidgetItem*> selected = folders_->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

int AutomationDialog::TypedPeriod() const {
    return std::max(1, period_->text().toInt());
}

void AutomationDialog::accept() {
    settings_.AutSaveset = Flag(saveSettings_);
    settings_.AutSort = Flag(sort_);
    settings_.AutRemove = Flag(removeMissing_);
    settings_.AutRemovedup = Flag(removeDuplicates_);
    settings_.AutRescan = Flag(rescan_);
    settings_.AutOnStart = Flag(onStart_);
    settings_.AutEvery = Flag(every_);
    settings_.AutDirs.clear();
    for (int row = 0; row < folders_->count(); ++row)
        settings_.AutDirs.push_back(StdPath(folders_->item(row)->text()));
    const int period = TypedPeriod();
    const bool periodChanged = period != settings_.AutPeriod;
    settings_.AutPeriod = period;
    if (periodChanged && hooks_.periodChanged)
        hooks_.periodChanged();
    QDialog::accept();
}

} // namespace zeb
