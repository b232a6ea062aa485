#pragma once

#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class CMainWnd;

// One item of a menu built at run time (tracks tree, album list, recent files).
struct MenuNode {
    MenuItemKind kind = MenuItemKind::Command;
    int id = 0;                     // command id of a Command
    std::string label;              // '&' already doubled where it is not a mnemonic
    bool isDefault = false;         // drawn bold: the current entry and its popups
    bool columnBreak = false;       // starts a new column with a bar
    std::vector<MenuNode> children; // items of a Popup
};

// The label of a recent-files entry: entries longer than 40 characters keep
// their head and the text from the last separator, joined by ".....".
std::string RecentLabel(std::string_view entry);

// The menu label of a playlist entry without an info line: a file's name
// with extension, or an address's name.
std::string EntryLabel(std::string_view path);

// The label of entry `index` in the tracks and album menus.
std::string TrackLabel(const CMainWnd& wnd, int index);

// The items of the album of the current entry; empty unless the list has
// 1..5000 entries. Columns break every TPC items; the current entry is the
// default item.
std::vector<MenuNode> BuildAlbumMenu(const CMainWnd& wnd);

// The whole list as a tree of folder popups; empty unless the list has
// 1..5000 entries. Runs of entries with the same root show from the deepest
// folder they all share; columns break every TPC items in each popup; the
// current entry and every popup holding it are default items.
std::vector<MenuNode> BuildTracksTree(const CMainWnd& wnd);

// The folder levels of a path: each component followed by a separator, the
// first one being the root ("" for "/x", "C:", "//server", "http://"). An
// address's scheme counts as one level.
std::vector<std::string_view> FolderLevels(std::string_view path);

} // namespace zeb
