#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace zeb {

class CMainWnd;

// Where the main menu is shown: at the tray, next to the panel, or as the
// minibar's menu (which keeps the display items and drops the transport).
enum class MenuPlace { TrayPoint = 0, NextToPanel = 1, Minibar = 2 };

// Builds the main menu from the template of the interface language: item
// check marks and greyed states from the main window, the recent-files and
// scan-drive popups, and the tracks and album popups. Every command item
// carries its command id (QAction data, object name "cmd-<id>") and reports
// it through onCommand.
std::unique_ptr<QMenu> BuildMainMenu(const CMainWnd& wnd, MenuPlace place,
                                     const std::vector<std::string>& volumes,
                                     const std::function<void(int)>& onCommand);

} // namespace zeb
