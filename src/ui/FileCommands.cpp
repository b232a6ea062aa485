#include "ui/FileCommands.h"

#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "shell/PlaylistView.h"
#include "ui/AboutBox.h"
#include "ui/DialogControls.h"
#include "ui/FileProgressWindow.h"
#include "ui/OwnFileDialog.h"
#include "ui/RenameDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace zeb {

namespace {

std::string ChooseTargetFolder(QWidget* parent, const CMainWnd& wnd) {
    auto* dialog = new QFileDialog(parent);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setWindowTitle(FromUtf8(UiString(wnd.Language, IDS_CHOOSE_TARGET_FOLDER)));
    std::string start = wnd.InitDir;
    while (start.size() > 1 && start.back() == '/')
        start.pop_back();
    if (!start.empty())
        dialog->setDirectory(NativePath(start));
    return StdPath(RunOwnFileDialogForOne(dialog));
}

// A copy or move still runs: the file commands wait for it, so that two
// operations never hold the current entry or the rows at once.
bool TransferRunning(QWidget* window) {
    return window->findChild<FileProgressWindow*>() != nullptr;
}

} // namespace

void RenameSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view) {
    const std::vector<int> rows = view.SelectedRows();
    if (rows.empty() || TransferRunning(window))
        return;
    std::optional<std::string> pattern = AskRenameTemplate(window, wnd.Language, wnd.RNTemplate);
    if (!pattern)
        return;
    wnd.RenameByTags(rows, *pattern);
    view.FilesChanged();
}

void DeleteSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view, bool permanently) {
    if (view.SelectedCount() == 0 || TransferRunning(window))
        return;
    QPointer<QMessageBox> box =
        NewYesNoQuestion(window, FromUtf8(UiString(wnd.Language, IDS_CONFIRM_DELETE)));
    const int answer = box->exec();
    delete box;
    if (answer == QMessageBox::Yes)
        view.DeleteSelectedFiles(permanently);
}

void TransferSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view, bool move) {
    std::vector<int> rows = view.SelectedRows();
    if (rows.empty() || TransferRunning(window))
        return;
    std::string target = ChooseTargetFolder(window, wnd);
    if (target.empty())
        return;
    if (target.back() != '/')
        target += '/';
    wnd.InitDir = target;
    auto* progress = new FileProgressWindow(wnd.Language, window);
    progress->Run(wnd, std::move(rows), target, move, [&view, move] {
        if (move)
            view.FilesChanged();
    });
}

} // namespace zeb
