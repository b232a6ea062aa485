#pragma once

#include <string_view>

namespace zeb {

// The texts of the dialog templates as UTF-8: each dialog's caption and the
// text of each of its controls, by dialog number (the Danish or the Russian
// one) and control id. A control without a text gives an empty text.
constexpr int kDialogCaption = 0; // "control id" of the dialog's caption

std::string_view DialogText(int dialogId, int controlId);

// The same for a Danish dialog number in the given `Language` (0 Danish, any
// other value Russian).
std::string_view UiDialogText(int language, int danishDialogId, int controlId);

} // namespace zeb
