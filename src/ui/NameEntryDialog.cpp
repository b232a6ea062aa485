#include "ui/NameEntryDialog.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "ui/DialogControls.h"

#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace zeb {

NameEntryDialog::NameEntryDialog(int language, QWidget* parent) : QDialog(parent) {
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_NAME_ENTRY, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_NAME_ENTRY)));
    setWindowTitle(text(kDialogCaption));

    edit_ = new QLineEdit(this);
    SetControlId(edit_, IDC_NAME_TEXT);
    edit_->setMinimumWidth(240);
    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    edit_->setFocus();
}

std::string NameEntryDialog::Name() const {
    return edit_->text().toStdString();
}

std::optional<std::string> AskForName(QWidget* parent, int language) {
    QPointer<NameEntryDialog> dialog = new NameEntryDialog(language, parent);
    const int result = dialog->exec();
    std::optional<std::string> name;
    if (dialog && result == QDialog::Accepted)
        name = dialog->Name();
    delete dialog;
    return name;
}

} // namespace zeb
