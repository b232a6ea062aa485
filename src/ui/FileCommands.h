#pragma once

class QWidget;

namespace zeb {

class CMainWnd;
class PlaylistView;

// The playlist window's commands on the files behind the selected rows,
// with their dialogs, over `window`. None starts while a copy or move runs.

// Asks for the template, then renames the files after their tags.
void RenameSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view);
// Asks string 14 (Yes/No, No the default); on Yes the rows go and their
// files to the trash, or for good with `permanently`.
void DeleteSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view, bool permanently);
// Asks for the target folder (string 12, starting at InitDir, which becomes
// the choice), then copies or moves the files showing the progress window.
void TransferSelectedFiles(QWidget* window, CMainWnd& wnd, PlaylistView& view, bool move);

} // namespace zeb
