#pragma once

#include <string_view>
#include <vector>

namespace zeb {

enum class MenuItemKind {
    Command,     // an item that sends its command id
    Popup,       // a submenu
    Separator,   // a dividing line
    Placeholder, // the single item of a popup that the program fills when it shows the menu
};

// Popups that the program fills while it builds the menu.
enum class MenuSlot {
    None,
    RecentFiles, // items RecentCommandId(0..9) for the non-empty Recent entries
    ScanDrive,   // one item per volume, DriveCommandId(...)
    Tracks,      // tracks tree, TrackCommandId(index)
    Album,       // album list of the current entry, TrackCommandId(index)
    CdDisc,      // CD commands; the disc line and the tracks go after its separator
    FindTrack,   // the playlist window's find menu, filled like Tracks
};

struct MenuItem {
    MenuItemKind kind = MenuItemKind::Separator;
    int id = 0;            // command id of a Command, else 0
    std::string_view text; // as the menu shows it: '&' marks the mnemonic, '\t' the shortcut
    MenuSlot slot = MenuSlot::None; // what fills a Popup at run time
    bool checked = false;
    bool grayed = false;
    bool isDefault = false;
    std::vector<MenuItem> children; // items of a Popup
};

// One menu resource: the items of a popup menu, or the popups of a menu bar.
struct MenuTemplate {
    int id = 0;
    std::vector<MenuItem> items;
};

// The menu for `language` (0 Danish, any other value Russian) given its
// Danish number 101..105. Throws std::out_of_range for any other number.
const MenuTemplate& LoadMenuTemplate(int language, int danishMenuId);

// The menu with this resource number (101..105 or 151..155), or nullptr.
const MenuTemplate* FindMenuTemplate(int resourceId);

// The first item, depth-first, that sends `commandId`, or nullptr.
const MenuItem* FindCommandItem(const MenuTemplate& menu, int commandId);

// The popup that the program fills as `slot`, or nullptr.
const MenuItem* FindSlotPopup(const MenuTemplate& menu, MenuSlot slot);

} // namespace zeb
