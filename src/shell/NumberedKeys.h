#pragma once

#include <string>
#include <string_view>

namespace zeb {

class IniFile;

// The highest n for which the key `stem` followed by n in decimal is present
// in the section (letter case ignored as in every key lookup); -1 when none
// is. Counts read from the file (`Presets`, `AutDirsCnt`) are bounded by it,
// so a huge count costs no more than the keys that are really there.
int HighestNumberedKey(const IniFile& ini, const std::string& section, std::string_view stem);

} // namespace zeb
