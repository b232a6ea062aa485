#pragma once

#include <string>
#include <string_view>

namespace zeb {

// Number of names in the genre list; a genre byte at or above it means none.
constexpr int kGenreCount = 148;
// The genre byte written when no genre is chosen.
constexpr int kNoGenre = 255;

// The name shown for a genre byte; empty for 148 and above (and negatives).
std::string_view GenreName(int index);
// The index of a genre name (exact spelling); kNoGenre when it is not listed.
int GenreIndex(std::string_view name);

} // namespace zeb
