#pragma once

#include "resources/MenuTemplates.h"

#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QString;

namespace zeb {

// Qt menus from the menu resources. Each command item becomes an action
// whose data is its command id; popups become submenus.

// Adds `items` to `menu`. A popup that the program fills at run time is added
// empty and carries its slot, see SlotOfMenu.
void AddTemplateItems(QMenu* menu, const std::vector<MenuItem>& items);

// The menus of a menu bar resource, one per popup.
void AddTemplateMenus(QMenuBar* bar, const std::vector<MenuItem>& popups);

// Adds a command item that is not in a template.
QAction* AddCommandAction(QMenu* menu, int commandId, const QString& text);

// The command id of an action made from a template item, or 0.
int CommandOfAction(const QAction* action);

// The slot of a submenu made from a filled popup, or MenuSlot::None.
MenuSlot SlotOfMenu(const QMenu* menu);

// The action sending `commandId` in `menu` or its submenus, or nullptr.
QAction* FindCommandAction(const QMenu* menu, int commandId);

} // namespace zeb
