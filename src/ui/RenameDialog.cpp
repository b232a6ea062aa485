#include "ui/RenameDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "shell/RenameName.h"
#include "ui/DialogControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace zeb {

RenameDialog::RenameDialog(int language, const std::string& pattern, QWidget* parent)
    : QDialog(parent) {
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_RENAME, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_RENAME)));
    setWindowTitle(text(kDialogCaption));

    auto* label = new QLabel(text(IDC_RENAME_LABEL), this);
    SetControlId(label, IDC_RENAME_LABEL);
    edit_ = new QLineEdit(FromUtf8(pattern), this);
    SetControlId(edit_, IDC_RENAME_TEMPLATE);
    edit_->setMinimumWidth(280);
    auto* help1 = new QLabel(text(IDC_RENAME_HELP1), this);
    SetControlId(help1, IDC_RENAME_HELP1);
    auto* help2 = new QLabel(text(IDC_RENAME_HELP2), this);
    SetControlId(help2, IDC_RENAME_HELP2);
    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));
    ok_ = FindControl<QPushButton>(this, IDOK);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edit_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(help1);
    layout->addWidget(help2);
    layout->addWidget(buttons);
    connect(edit_, &QLineEdit::textChanged, this, &RenameDialog::FollowText);
    FollowText();
    edit_->setFocus();
}

std::string RenameDialog::Pattern() const {
    return edit_->text().toStdString();
}

void RenameDialog::FollowText() {
    ok_->setEnabled(RenameTemplateAcceptable(Pattern()));
}

std::optional<std::string> AskRenameTemplate(QWidget* parent, int language,
                                             const std::string& pattern) {
    QPointer<RenameDialog> dialog = new RenameDialog(language, pattern, parent);
    const int result = dialog->exec();
    std::optional<std::string> chosen;
    if (dialog && result == QDialog::Accepted)
        chosen = dialog->Pattern();
    delete dialog;
    return chosen;
}

} // namespace zeb
