#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class IniFile;

// Equalizer presets are kept as "name<TAB>letters": eleven letters from 'a'
// (step -10) to 'u' (step +10), the preamplifier first, then EQ1 ... EQ10.
constexpr int kPresetLetterCount = 11;

// Reads `Presets` entries; the first four fall back to the built-in presets
// when their keys are missing, and an entry with an empty name or empty
// letters is dropped.
std::vector<std::string> LoadEqualizerPresets(const IniFile& ini, const std::string& section);
// Writes `Presets` and the numbered names and letters; numbering closes up.
void SaveEqualizerPresets(IniFile& ini, const std::string& section,
                          const std::vector<std::string>& presets);

std::string_view PresetName(std::string_view preset);
std::string_view PresetLetters(std::string_view preset);
std::string MakePreset(std::string_view name, std::string_view letters);

// Bar positions 0..20 of the eleven bars from a preset's letters. Letters
// out of range are limited to 0..20; a short text leaves the missing bars
// at the middle position 10.
std::array<int, kPresetLetterCount> PresetPositions(std::string_view letters);
// The letters for eleven bar positions ('a' + position).
std::string PresetLettersFor(const std::array<int, kPresetLetterCount>& positions);

} // namespace zeb
