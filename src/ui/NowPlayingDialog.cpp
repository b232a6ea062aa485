#include "ui/NowPlayingDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "ui/DialogControls.h"
#include "ui/OwnFileDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeb {

NowPlayingDialog::NowPlayingDialog(MainWndSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    const int language = settings.Language;
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_NOW_PLAYING_FILE, control));
    };
    setObjectName(
        QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_NOW_PLAYING_FILE)));
    setWindowTitle(text(kDialogCaption));

    auto checkBox = [&](int id, int value) {
        auto* box = new QCheckBox(text(id), this);
        SetControlId(box, id);
        box->setChecked(value != 0);
        return box;
    };
    auto edit = [&](int id, const std::string& value) {
        auto* line = new QLineEdit(this);
        SetControlId(line, id);
        line->setText(FromUtf8(value));
        return line;
    };
    auto label = [&](int id, QWidget* buddy) {
        auto* l = new QLabel(text(id), this);
        SetControlId(l, id);
        l->setBuddy(buddy);
        return l;
    };

    enable_ = checkBox(IDC_W2F_ENABLE, settings.W2Fenabled);
    file_ = edit(IDC_W2F_FILE, "");
    file_->setText(NativePath(settings.W2Ffile));
    file_->setMinimumWidth(280);
    auto* browse = new QPushButton(text(IDC_W2F_BROWSE), this);
    SetControlId(browse, IDC_W2F_BROWSE);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, &NowPlayingDialog::Browse);
    play_ = edit(IDC_W2F_PLAY, settings.W2Fplay);
    pause_ = edit(IDC_W2F_PAUSE, settings.W2Fpause);
    stop_ = edit(IDC_W2F_STOP, settings.W2Fstop);
    exit_ = edit(IDC_W2F_EXIT, settings.W2Fexit);
    oem_ = checkBox(IDC_W2F_OEM, settings.W2Foem);
    deleteAtExit_ = checkBox(IDC_W2F_DELETE_AT_EXIT, settings.W2Fdel);

    auto* grid = new QGridLayout;
    grid->addWidget(label(IDC_W2F_FILE_LABEL, file_), 0, 0);
    grid->addWidget(file_, 0, 1);
    grid->addWidget(browse, 0, 2);
    auto* hint = new QLabel(text(IDC_W2F_FORMAT_HINT), this);
    SetControlId(hint, IDC_W2F_FORMAT_HINT);
    grid->addWidget(hint, 1, 0, 1, 3);
    const std::pair<int, QLineEdit*> lines[] = {{IDC_W2F_PLAY_LABEL, play_},
                                                {IDC_W2F_PAUSE_LABEL, pause_},
                                                {IDC_W2F_STOP_LABEL, stop_},
                                                {IDC_W2F_EXIT_LABEL, exit_}};
    int row = 2;
    for (auto [labelId, line] : lines) {
        grid->addWidget(label(labelId, line), row, 0);
        grid->addWidget(line, row, 1, 1, 2);
        ++row;
    }

    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enable_);
    layout->addLayout(grid);
    layout->addWidget(oem_);
    layout->addWidget(deleteAtExit_);
    layout->addWidget(buttons);
}

void NowPlayingDialog::accept() {
    settings_.W2Fenabled = enable_->isChecked() ? 1 : 0;
    settings_.W2Ffile = StdPath(file_->text());
    settings_.W2Fplay = play_->text().toStdString();
    settings_.W2Fpause = pause_->text().toStdString();
    settings_.W2Fstop = stop_->text().toStdString();
    settings_.W2Fexit = exit_->text().toStdString();
    settings_.W2Foem = oem_->isChecked() ? 1 : 0;
    settings_.W2Fdel = deleteAtExit_->isChecked() ? 1 : 0;
    QDialog::accept();
}

void NowPlayingDialog::Browse() {
    auto* dialog = new QFileDialog(this);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setNameFilters({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")});
    if (!file_->text().isEmpty())
        dialog->selectFile(file_->text());
    QPointer<NowPlayingDialog> self(this);
    const QString chosen = RunOwnFileDialogForOne(dialog);
    if (self && !chosen.isEmpty())
        file_->setText(chosen);
}

} // namespace zeb
