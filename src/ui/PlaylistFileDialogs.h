// The file dialogs of the playlist window's playlist commands.
#pragma once

#include <string>

class QWidget;

namespace zeb {

class CMainWnd;

// An existing playlist file (filters of string 4, default suffix "m3u"),
// starting in InitDir; empty on cancel.
std::string ChoosePlaylistToOpen(QWidget* parent, const CMainWnd& wnd);

// A playlist file to write (filters of string 4, default suffix "m3u"),
// starting in InitDir; an existing file is replaced only after the user
// confirmed it. Empty on cancel.
std::string ChoosePlaylistToSave(QWidget* parent, const CMainWnd& wnd);

} // namespace zeb
