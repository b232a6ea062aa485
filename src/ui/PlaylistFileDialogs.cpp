#include "ui/PlaylistFileDialogs.h"

#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "ui/OpenDialogs.h"
#include "ui/OwnFileDialog.h"

#include <QFileDialog>

namespace zeb {

namespace {

// Our own dialog rather than the desktop's, as the other open dialogs.
std::string RunPlaylistDialog(QWidget* parent, const CMainWnd& wnd, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(QStringLiteral("m3u"));
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(
        NameFiltersFromFilterString(UiString(wnd.Language, IDS_FILTER_PLAYLISTS)));
    if (!wnd.InitDir.empty())
        dialog->setDirectory(NativePath(wnd.InitDir));
    return StdPath(RunOwnFileDialogForOne(dialog));
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
