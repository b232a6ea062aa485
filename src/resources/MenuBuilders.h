#pragma once

// Shorthands for writing menu templates as data; used only by the template
// tables of this folder.

#include "resources/MenuTemplates.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace zeb::menu {

inline MenuItem Command(int id, std::string_view text) {
    MenuItem item;
    item.kind = MenuItemKind::Command;
    item.id = id;
    item.text = text;
    return item;
}

inline MenuItem Popup(std::string_view text, std::initializer_list<MenuItem> children,
                      MenuSlot slot = MenuSlot::None) {
    MenuItem item;
    item.kind = MenuItemKind::Popup;
    item.text = text;
    item.slot = slot;
    item.children = children;
    return item;
}

// A popup that holds only a greyed placeholder until the program fills it.
inline MenuItem FilledPopup(std::string_view text, MenuSlot slot, std::string_view placeholder) {
    MenuItem filler;
    filler.kind = MenuItemKind::Placeholder;
    filler.text = placeholder;
    filler.grayed = true;
    return Popup(text, {filler}, slot);
}

inline MenuItem Separator() {
    return MenuItem{};
}

inline void Append(std::vector<MenuItem>& items, std::vector<MenuItem> more) {
    for (MenuItem& item : more) {
        items.push_back(std::move(item));
    }
}

} // namespace zeb::menu

namespace zeb {

// The menu tables of each language, in the order 101..105 (Danish numbers)
// or 151..155 (Russian numbers).
std::vector<MenuTemplate> DanishMenuTemplates();
std::vector<MenuTemplate> RussianMenuTemplates();

} // namespace zeb
