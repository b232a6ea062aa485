// The values the advanced settings dialog edits, and the mappings between
// its controls and the settings they stand for.
#pragma once

#include "shell/MainWndSettings.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// The press-and-hold combo lists "(intet)", "Skifter position", "Skifter
// lydstyrke"; the setting counts 0 position, 1 volume, 2 nothing.
int PressAndHoldItem(int pressAndHold);
int PressAndHoldValue(int item);

// The click-action combos list the actions in menu order (album tracks after
// tracks), each by its string; a stored action is the string's id minus the
// first one's. Actions are found by text, as the dialog shows them.
std::vector<std::string> ClickActionTexts(int language);
// The item showing action `action`, or -1 when no item does.
int ClickActionItem(int language, int action);
// The action whose string is `text`; 0 (nothing) for any other text.
int ClickActionValue(int language, std::string_view text);

// Down-sampling from its two exclusive boxes: 1 for 1:2, 2 for 1:4, else 0.
int DownsamplingValue(bool half, bool quarter);

// The seven options of the dialog's check-list, in their order.
constexpr int kAdvancedOptionCount = 7;

// Every value the dialog copies from the settings when it opens and back on
// OK. The CD drive is stored by the caller, which may have to reopen it.
struct AdvancedSettingsValues {
    std::array<int, kAdvancedOptionCount> options{};
    int TPC = 0;
    std::array<int, 4> Clicks{};
    std::array<int, 4> RClicks{};
    int PressAndHold = 0;
    int NoClicks = 0;
    int Priority = 3;
    int InputBuffers = 0;
    int Buffers = 0;
    int HighPriority = 0;
    int ForceMono = 0;
    int Downsampling = 0;
    int Gap = 0;
    int ADevice = -1;
    int MDevice = 0;
    int OutputModule = 1;
    std::string OutPath;
    std::string CDLetter;
    int AutoCDDB = 0;
    std::string CDDBServer;
    std::string EMailAddress;

    static AdvancedSettingsValues From(const MainWndSettings& settings);
    // Stores every value except CDLetter.
    void StoreInto(MainWndSettings& settings) const;
    // OK needs at least one click, left or right, that opens the main menu,
    // so the menu stays reachable (even when clicks are switched off).
    bool HasMainMenuClick() const;
};

} // namespace zeb
