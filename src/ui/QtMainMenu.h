#pragma once

#include "ui/MenuAnchor.h"

#include <memory>
#include <string>
#include <vector>

namespace zeb {

class CMainWnd;
struct CdDiscMenu;
class PopupMenu;
struct SkinImages;

// Builds the main menu from the template of the interface language: item
// check marks and greyed states from the main window, the recent-files and
// scan-drive popups (one item per volume), and the tracks and album popups.
// The tray's menu (any place but the minibar) drops the display items at its
// end; with GraphicalButtons the transport items show the skin's buttons,
// and with ShowGradientBar a side bar forms a column of its own at the left.
// The minibar's menu drops the transport items. Chosen commands are
// reported through PopupMenu::Triggered; right-button releases choose too.
std::unique_ptr<PopupMenu> BuildMainMenu(const CMainWnd& wnd, MenuPlace place,
                                         const std::vector<std::string>& volumes,
                                         const SkinImages& images);

// The tray menu of CD mode, built like the main menu, with the disc's part
// in its CD popup.
std::unique_ptr<PopupMenu> BuildCdMenu(const CMainWnd& wnd, const CdDiscMenu& disc, MenuPlace place,
                                       const std::vector<std::string>& volumes,
                                       const SkinImages& images);
// The CD tracks popup: the disc line, a separator and the tracks, or "Data
// CD"; nullptr when the disc has nothing to list.
std::unique_ptr<PopupMenu> BuildCdTracksMenu(const CMainWnd& wnd, const CdDiscMenu& disc);

// The tracks tree (album false) or the album list of the current entry as a
// menu of its own; nullptr unless the list has 1..5000 entries.
std::unique_ptr<PopupMenu> BuildTracksMenu(const CMainWnd& wnd, bool album);

} // namespace zeb
