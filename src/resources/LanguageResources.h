#pragma once

namespace zeb {

// The user-interface languages chosen by the `Language` setting: 0 is Danish,
// every other value Russian.
constexpr bool IsDanish(int language) {
    return language == 0;
}

// The menu or dialog resource to load for a language, given its Danish number.
// Menus 101..105 and dialogs 101..111 have Russian twins 50 numbers higher,
// the now-playing file dialog 131 has 165 and the automation dialog 162 has
// 163. Resources that serve both languages (the minibar 100, the progress
// window 164) and unknown numbers come back unchanged.
int LocalizedResourceId(int language, int danishId);

// The string-table id for a language: the Danish id, or the Danish id + 100.
int LocalizedStringId(int language, int danishId);

} // namespace zeb
