#pragma once

#include "shell/MainWndSettings.h"

#include <functional>
#include <string>
#include <vector>

namespace zeb {

// One stored setting: its key, kind, default and the member that holds it.
// Presets and AutDirs stand for the groups of keys they expand to.
struct SettingKey {
    enum class Kind { Int, Flag, String, Presets, AutDirs };
    enum class Writer { SaveSettings, ExitSequence, PlaylistSave };

    std::string name;
    Kind kind;
    int intDefault = 0;
    std::string stringDefault;
    std::function<int&(MainWndSettings&)> intRef;
    std::function<std::string&(MainWndSettings&)> stringRef;
    Writer writer = Writer::SaveSettings;
};

// Every setting in the order the settings are read.
const std::vector<SettingKey>& SettingKeyTable();

} // namespace zeb
