// The dialogs of the open commands: files, a folder and an internet address.
// They only gather the user's choice; CMainWnd's open operations act on it.
#pragma once

#include <QDialog>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;

namespace zeb {

class CMainWnd;

// Qt name filters from a filter string of the form
// "Description|pattern;pattern|Description|pattern|...|". Patterns are
// trimmed and match regardless of letter case; "*.*" matches every file.
// Each filter is "Description (patterns)"; the dialogs show the description.
QStringList NameFiltersFromFilterString(std::string_view filter);

// The open-file dialog: several existing files, starting in InitDir, default
// suffix "mp3", the filters of string 2. The chosen paths in the dialog's
// order; empty on cancel.
std::vector<std::string> ChooseFilesToOpen(QWidget* parent, const CMainWnd& wnd);

// The folder browser, titled with string 10, opening at InitDir. The chosen
// folder (no trailing '/' except for the root); empty on cancel.
std::string ChooseFolderToOpen(QWidget* parent, const CMainWnd& wnd);

// Dialog 104 (154 in Russian): asks for an internet address.
class OpenAddressDialog : public QDialog {
    Q_OBJECT
public:
    OpenAddressDialog(int language, QWidget* parent = nullptr);
    // The address as typed, without white space at its ends.
    std::string Address() const;

private:
    QLineEdit* edit_;
};

// The address typed in dialog 104; empty on cancel or when nothing was typed.
std::string ChooseAddressToOpen(QWidget* parent, int language);

// The open commands of the main window (file 32776, folder 32808, address
// 32848) from dialog to list. Each shows its dialog modally and hands the
// choice to the main window. While the file or folder dialog is open both
// of those commands are ignored; while the address dialog is open the
// address command is.
class OpenCommands {
public:
    enum class Outcome { Ignored, Cancelled, Opened };

    explicit OpenCommands(CMainWnd& wnd, QWidget* parent = nullptr);
    OpenCommands(const OpenCommands&) = delete;
    OpenCommands& operator=(const OpenCommands&) = delete;

    Outcome RunOpenFile();
    Outcome RunOpenFolder();
    Outcome RunOpenAddress();

    bool FileOrFolderDialogOpen() const { return fileOrFolderOpen_; }
    bool AddressDialogOpen() const { return addressOpen_; }

private:
    CMainWnd& wnd_;
    QWidget* parent_;
    bool fileOrFolderOpen_ = false;
    bool addressOpen_ = false;
};

} // namespace zeb
