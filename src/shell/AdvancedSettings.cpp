#include "shell/AdvancedSettings.h"

#include "resources/ResourceIds.h"
#include "resources/StringTable.h"

#include <algorithm>

namespace zeb {

namespace {

// The combo's order: album tracks follows tracks, as in the menus.
constexpr std::array<int, kClickActionCount> kClickActionStrings = {
    IDS_CLICK_NOTHING,  IDS_CLICK_PLAY_PAUSE, IDS_CLICK_STOP_PLAY,    IDS_CLICK_PREVIOUS,
    IDS_CLICK_NEXT,     IDS_CLICK_TRACKS,     IDS_CLICK_ALBUM_TRACKS, IDS_CLICK_MINIBAR,
    IDS_CLICK_PLAYLIST, IDS_CLICK_EQUALIZER,  IDS_CLICK_MP3_INFO,     IDS_CLICK_MAIN_MENU};

constexpr int kMainMenuAction = IDS_CLICK_MAIN_MENU - IDS_CLICK_NOTHING;

// The settings of the check-list, in its order.
constexpr std::array<int MainWndSettings::*, kAdvancedOptionCount> kOptionSettings = {
    &MainWndSettings::ShowGradientBar,
    &MainWndSettings::GraphicalButtons,
    &MainWndSettings::SMTracks,
    &MainWndSettings::SMAlbum,
    &MainWndSettings::AutoPlay,
    &MainWndSettings::IncludeWAVs,
    &MainWndSettings::WAEmu};

} // namespace

int PressAndHoldItem(int pressAndHold) {
    switch (pressAndHold) {
    case 0:
        return 1;
    case 1:
        return 2;
    default:
        return 0;
    }
}

int PressAndHoldValue(int item) {
    switch (item) {
    case 1:
        return 0;
    case 2:
        return 1;
    default:
        return 2;
    }
}

std::vector<std::string> ClickActionTexts(int language) {
    std::vector<std::string> texts;
    for (int id : kClickActionStrings)
        texts.emplace_back(UiString(language, id));
    return texts;
}

int ClickActionItem(int language, int action) {
    if (action < 0 || action >= kClickActionCount)
        return -1;
    const std::string_view wanted = UiString(language, IDS_CLICK_NOTHING + action);
    for (size_t item = 0; item < kClickActionStrings.size(); ++item) {
        if (UiString(language, kClickActionStrings[item]) == wanted)
            return int(item);
    }
    return -1;
}

int ClickActionValue(int language, std::string_view text) {
    for (int action = 0; action < kClickActionCount; ++action) {
        if (UiString(language, IDS_CLICK_NOTHING + action) == text)
            return action;
    }
    return 0;
}

int DownsamplingValue(bool half, bool quarter) {
    if (half)
        return 1;
    return quarter ? 2 : 0;
}

AdvancedSettingsValues AdvancedSettingsValues::From(const MainWndSettings& s) {
    AdvancedSettingsValues v;
    for (size_t i = 0; i < kOptionSettings.size(); ++i)
        v.options[i] = s.*kOptionSettings[i];
    v.TPC = s.TPC;
    v.Clicks = s.Clicks;
    v.RClicks = s.RClicks;
    v.PressAndHold = s.PressAndHold;
    v.NoClicks = s.NoClicks;
    v.Priority = s.Priority;
    v.InputBuffers = s.InputBuffers;
    v.Buffers = s.Buffers;
    v.HighPriority = s.HighPriority;
    v.ForceMono = s.ForceMono;
    v.Downsampling = s.Downsampling;
    v.Gap = s.Gap;
    v.ADevice = s.ADevice;
    v.MDevice = s.MDevice;
    v.OutputModule = s.OutputModule;
    v.OutPath = s.OutPath;
    v.CDLetter = s.CDLetter;
    v.AutoCDDB = s.AutoCDDB;
    v.CDDBServer = s.CDDBServer;
    v.EMailAddress = s.EMailAddress;
    return v;
}

void AdvancedSettingsValues::StoreInto(MainWndSettings& s) const {
    s.PressAndHold = PressAndHold;
    s.ADevice = ADevice;
    s.MDevice = MDevice;
    for (size_t i = 0; i < kOptionSettings.size(); ++i)
        s.*kOptionSettings[i] = options[i];
    s.AutoCDDB = AutoCDDB;
    s.OutputModule = OutputModule;
    s.OutPath = OutPath;
    s.Gap = Gap;
    s.TPC = TPC;
    s.NoClicks = NoClicks;
    s.ForceMono = ForceMono;
    s.Downsampling = Downsampling;
    s.Buffers = Buffers;
    s.InputBuffers = InputBuffers;
    s.HighPriority = HighPriority;
    s.Priority = Priority;
    s.CDDBServer = CDDBServer;
    s.EMailAddress = EMailAddress;
    s.Clicks = Clicks;
    s.RClicks = RClicks;
}

bool AdvancedSettingsValues::HasMainMenuClick() const {
    auto isMenu = [](int action) { return action == kMainMenuAction; };
    return std::any_of(Clicks.begin(), Clicks.end(), isMenu) ||
           std::any_of(RClicks.begin(), RClicks.end(), isMenu);
}

} // namespace zeb
