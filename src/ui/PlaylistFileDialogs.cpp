#include "ui/PlaylistFileDialogs.h"

#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "ui/OpenDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QPointer>

namespace zeb {

namespace {

std::string StdPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Our own dialog rather than the desktop's, as the other open dialogs.
std::string RunPlaylistDialog(QWidget* parent, const CMainWnd& wnd, QFileDialog::AcceptMode mode) {
    QPointer<QFileDialog> dialog = new QFileDialog(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("m3u"));
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(
        NameFiltersFromFilterString(UiString(wnd.Language, IDS_FILTER_PLAYLISTS)));
    if (!wnd.InitDir.empty())
        dialog->setDirectory(QFile::decodeName(QByteArray::fromStdString(wnd.InitDir)));
    // The dialog may go with its parent while it runs.
    const int result = dialog->exec();
    std::string chosen;
    if (dialog && result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = StdPath(dialog->selectedFiles().first());
    delete dialog;
    return chosen;
}

} // namespace

std::string ChoosePlaylistToOpen(QWidget* parent, const CMainWnd& wnd) {
    return RunPlaylistDialog(parent, wnd, QFileDialog::AcceptOpen);
}

std::string ChoosePlaylistToSave(QWidget* parent, const CMainWnd& wnd) {
    // QFileDialog asks before replacing an existing file unless told not to.
    return RunPlaylistDialog(parent, wnd, QFileDialog::AcceptSave);
}

} // namespace zeb
