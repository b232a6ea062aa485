#include "ui/TemplateMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace zeb {

namespace {

constexpr char kCommandProperty[] = "zebCommand";
constexpr char kSlotProperty[] = "zebMenuSlot";

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QMenu* NewPopup(QWidget* parent, const MenuItem& item) {
    auto* sub = new QMenu(Text(item.text), parent);
    if (item.slot == MenuSlot::None)
        AddTemplateItems(sub, item.children);
    else
        sub->setProperty(kSlotProperty, int(item.slot));
    return sub;
}

} // namespace

void AddTemplateItems(QMenu* menu, const std::vector<MenuItem>& items) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItemKind::Command: {
            // The text after a tab shows as the shortcut column.
            QAction* action = AddCommandAction(menu, item.id, Text(item.text));
            action->setCheckable(item.checked);
            action->setChecked(item.checked);
            action->setEnabled(!item.grayed);
            break;
        }
        case MenuItemKind::Popup:
            menu->addMenu(NewPopup(menu, item));
            break;
        case MenuItemKind::Separator:
            menu->addSeparator();
            break;
        case MenuItemKind::Placeholder:
            break;
        }
    }
}

void AddTemplateMenus(QMenuBar* bar, const std::vector<MenuItem>& popups) {
    for (const MenuItem& item : popups) {
        if (item.kind == MenuItemKind::Popup)
            bar->addMenu(NewPopup(bar, item));
    }
}

QAction* AddCommandAction(QMenu* menu, int commandId, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setProperty(kCommandProperty, commandId);
    return action;
}

int CommandOfAction(const QAction* action) {
    return action ? action->property(kCommandProperty).toInt() : 0;
}

MenuSlot SlotOfMenu(const QMenu* menu) {
    QVariant slot = menu ? menu->property(kSlotProperty) : QVariant();
    return slot.isValid() ? MenuSlot(slot.toInt()) : MenuSlot::None;
}

QAction* FindCommandAction(const QMenu* menu, int commandId) {
    for (QAction* action : menu->actions()) {
        if (CommandOfAction(action) == commandId)
            return action;
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindCommandAction(sub, commandId))
                return found;
        }
    }
    return nullptr;
}

} // namespace zeb
