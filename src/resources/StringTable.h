#pragma once

#include <string_view>

namespace zeb {

// The program's string tables as UTF-8 text: Danish strings 1..41 and their
// Russian twins 101..141. An id without a string gives an empty text.
std::string_view LoadString(int id);

// The text of a Danish string id in the given `Language` (0 Danish, any other
// value Russian).
std::string_view UiString(int language, int danishId);

} // namespace zeb
