#include "ui/OpenDialogs.h"

#include "platform/TextUtil.h"
#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "ui/DialogControls.h"
#include "ui/OwnFileDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeb {

namespace {

// A glob that matches the pattern's letters in either case: "*.mp3" becomes
// "*.[mM][pP]3", so "SONG.MP3" is offered too. "*.*" means every file.
QString CaseBlindPattern(std::string_view pattern) {
    if (pattern == "*.*")
        return QStringLiteral("*");
    QString out;
    for (QChar c : FromUtf8(pattern)) {
        if (c.isLetter() && c.unicode() < 0x80)
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

// Clears a flag when the dialog that set it is gone, however it went.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

// Our own dialog rather than the desktop's, so it behaves alike everywhere.
QFileDialog* NewFileDialog(QWidget* parent) {
    auto* dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return dialog;
}

} // namespace

QStringList NameFiltersFromFilterString(std::string_view filter) {
    std::vector<std::string_view> parts = Split(filter, '|');
    QStringList filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (std::string_view p : Split(parts[i + 1], ';')) {
            p = Trim(p);
            if (!p.empty())
                patterns << CaseBlindPattern(p);
        }
        if (patterns.isEmpty())
            continue;
        filters << QStringLiteral("%1 (%2)").arg(FromUtf8(parts[i]),
                                                 patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

std::vector<std::string> ChooseFilesToOpen(QWidget* parent, const CMainWnd& wnd) {
    QFileDialog* dialog = NewFileDialog(parent);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setDefaultSuffix(QStringLiteral("mp3"));
    // Only the descriptions are shown, as the filter string has them.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(
        NameFiltersFromFilterString(UiString(wnd.Language, IDS_FILTER_OPEN_FILES)));
    if (!wnd.InitDir.empty())
        dialog->setDirectory(NativePath(wnd.InitDir));
    std::vector<std::string> paths;
    for (const QString& file : RunOwnFileDialog(dialog))
        paths.push_back(StdPath(file));
    return paths;
}

std::string ChooseFolderToOpen(QWidget* parent, const CMainWnd& wnd) {
    QFileDialog* dialog = NewFileDialog(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(FromUtf8(UiString(wnd.Language, IDS_CHOOSE_FOLDER_TO_OPEN)));
    std::string start = wnd.InitDir;
    while (start.size() > 1 && start.back() == '/')
        start.pop_back();
    if (!start.empty())
        dialog->setDirectory(NativePath(start));
    QStringList chosen = RunOwnFileDialog(dialog);
    return chosen.isEmpty() ? std::string() : StdPath(chosen.first());
}

OpenAddressDialog::OpenAddressDialog(int language, QWidget* parent) : QDialog(parent) {
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_OPEN_URL, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_OPEN_URL)));
    setWindowTitle(text(kDialogCaption));

    auto* prompt = new QLabel(text(IDC_URL_PROMPT), this);
    SetControlId(prompt, IDC_URL_PROMPT);
    edit_ = new QLineEdit(this);
    SetControlId(edit_, IDC_URL_ADDRESS);
    edit_->setMinimumWidth(360);
    prompt->setBuddy(edit_);

    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    edit_->setFocus();
}

std::string OpenAddressDialog::Address() const {
    return std::string(Trim(edit_->text().toStdString()));
}

std::string ChooseAddressToOpen(QWidget* parent, int language) {
    QPointer<OpenAddressDialog> dialog = new OpenAddressDialog(language, parent);
    int result = dialog->exec();
    std::string address;
    if (dialog && result == QDialog::Accepted)
        address = dialog->Address();
    delete dialog;
    return address;
}

OpenCommands::OpenCommands(CMainWnd& wnd, QWidget* parent) : wnd_(wnd), parent_(parent) {}

OpenCommands::Outcome OpenCommands::RunOpenFile() {
    if (fileOrFolderOpen_)
        return Outcome::Ignored;
    std::vector<std::string> paths;
    {
        FlagScope open(fileOrFolderOpen_);
        paths = ChooseFilesToOpen(parent_, wnd_);
    }
    if (paths.empty())
        return Outcome::Cancelled;
    wnd_.OpenChosenFiles(paths);
    return Outcome::Opened;
}

OpenCommands::Outcome OpenCommands::RunOpenFolder() {
    if (fileOrFolderOpen_)
        return Outcome::Ignored;
    std::string folder;
    {
        FlagScope open(fileOrFolderOpen_);
        folder = ChooseFolderToOpen(parent_, wnd_);
    }
    if (folder.empty())
        return Outcome::Cancelled;
    wnd_.OpenChosenFolder(folder);
    return Outcome::Opened;
}

OpenCommands::Outcome OpenCommands::RunOpenAddress() {
    if (addressOpen_)
        return Outcome::Ignored;
    std::string address;
    {
        FlagScope open(addressOpen_);
        address = ChooseAddressToOpen(parent_, wnd_.Language);
    }
    if (address.empty())
        return Outcome::Cancelled;
    // Replaces the spaces by "%20" and puts the address on the recent list.
    wnd_.OpenAddress(address);
    return Outcome::Opened;
}

} // namespace zeb
