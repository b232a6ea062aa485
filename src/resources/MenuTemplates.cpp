#include "resources/MenuTemplates.h"

#include "resources/LanguageResources.h"
#include "resources/MenuBuilders.h"
#include "resources/ResourceIds.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace zeb {

namespace {

// Every menu of both languages, built once on first use.
const std::vector<MenuTemplate>& AllMenuTemplates() {
    static const std::vector<MenuTemplate> menus = [] {
        std::vector<MenuTemplate> all = DanishMenuTemplates();
        for (MenuTemplate& russian : RussianMenuTemplates()) {
            all.push_back(std::move(russian));
        }
        return all;
    }();
    return menus;
}

const MenuItem* FindItem(const std::vector<MenuItem>& items, const auto& matches) {
    for (const MenuItem& item : items) {
        if (matches(item)) {
            return &item;
        }
        if (const MenuItem* found = FindItem(item.children, matches)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

const MenuTemplate* FindMenuTemplate(int resourceId) {
    for (const MenuTemplate& menu : AllMenuTemplates()) {
        if (menu.id == resourceId) {
            return &menu;
        }
    }
    return nullptr;
}

const MenuTemplate& LoadMenuTemplate(int language, int danishMenuId) {
    const bool isDanishMenu = danishMenuId >= IDR_MENU_MAIN && danishMenuId <= IDR_MENU_SKIN;
    const MenuTemplate* menu =
        isDanishMenu ? FindMenuTemplate(LocalizedResourceId(language, danishMenuId)) : nullptr;
    if (menu == nullptr) {
        throw std::out_of_range("no menu template " + std::to_string(danishMenuId));
    }
    return *menu;
}

const MenuItem* FindCommandItem(const MenuTemplate& menu, int commandId) {
    return FindItem(menu.items, [commandId](const MenuItem& item) {
        return item.kind == MenuItemKind::Command && item.id == commandId;
    });
}

const MenuItem* FindSlotPopup(const MenuTemplate& menu, MenuSlot slot) {
    return FindItem(menu.items, [slot](const MenuItem& item) {
        return item.kind == MenuItemKind::Popup && item.slot == slot;
    });
}

} // namespace zeb
