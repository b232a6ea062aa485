#include "shell/EqualizerPresets.h"

#include "platform/IniFile.h"
#include "shell/NumberedKeys.h"

#include <algorithm>

namespace zeb {

namespace {

struct BuiltInPreset {
    const char* name;
    const char* letters;
};

constexpr BuiltInPreset kBuiltInPresets[] = {
    {"Classic", "knjgjlnopqq"},
    {"Loudness", "kqnlkkkmoqr"},
    {"Pop", "kkmnmlkkkkk"},
    {"Rock", "komkijlnopp"},
};
constexpr int kBuiltInCount = 4;
constexpr int kMiddlePosition = 10;
constexpr int kMaxPosition = 20;

std::string NumberedKey(const char* stem, int n) {
    return stem + std::to_string(n);
}

} // namespace

std::string_view PresetName(std::string_view preset) {
    return preset.substr(0, std::min(preset.find('\t'), preset.size()));
}

std::string_view PresetLetters(std::string_view preset) {
    size_t tab = preset.find('\t');
    return tab == std::string_view::npos ? std::string_view() : preset.substr(tab + 1);
}

std::string MakePreset(std::string_view name, std::string_view letters) {
    std::string preset(name);
    preset += '\t';
    preset += letters;
    return preset;
}

std::vector<std::string> LoadEqualizerPresets(const IniFile& ini, const std::string& section) {
    std::vector<std::string> presets;
    // Past the built-in ones only presets whose keys are present can be kept.
    int lastPresent = std::max(HighestNumberedKey(ini, section, "PresetName"),
                               HighestNumberedKey(ini, section, "PresetEQ"));
    int count = std::min(ini.GetInt(section, "Presets", kBuiltInCount),
                         std::max(kBuiltInCount, lastPresent + 1));
    for (int n = 0; n < count; ++n) {
        bool builtIn = n < kBuiltInCount;
        std::string name = ini.GetString(section, NumberedKey("PresetName", n),
                                         builtIn ? kBuiltInPresets[n].name : "");
        if (name.empty())
            continue;
        std::string letters = ini.GetString(section, NumberedKey("PresetEQ", n),
                                            builtIn ? kBuiltInPresets[n].letters : "");
        if (letters.empty())
            continue;
        presets.push_back(MakePreset(name, letters));
    }
    return presets;
}

void SaveEqualizerPresets(IniFile& ini, const std::string& section,
                          const std::vector<std::string>& presets) {
    ini.WriteInt(section, "Presets", static_cast<int>(presets.size()));
    for (size_t n = 0; n < presets.size(); ++n) {
        int i = static_cast<int>(n);
        ini.WriteString(section, NumberedKey("PresetName", i), PresetName(presets[n]));
        ini.WriteString(section, NumberedKey("PresetEQ", i), PresetLetters(presets[n]));
    }
}

std::array<int, kPresetLetterCount> PresetPositions(std::string_view letters) {
    std::array<int, kPresetLetterCount> positions;
    positions.fill(kMiddlePosition);
    for (size_t i = 0; i < positions.size() && i < letters.size(); ++i) {
        int position = static_cast<unsigned char>(letters[i]) - 'a';
        positions[i] = std::clamp(position, 0, kMaxPosition);
    }
    return positions;
}

std::string PresetLettersFor(const std::array<int, kPresetLetterCount>& positions) {
    std::string letters;
    for (int p : positions)
        letters += static_cast<char>('a' + std::clamp(p, 0, kMaxPosition));
    return letters;
}

} // namespace zeb
