#include "shell/HotkeyTable.h"

#include "resources/ResourceIds.h"

namespace zeb {

using F = HotkeyFunction;

const std::array<HotkeyEntry, kHotkeyFunctionCount> kHotkeyTable = {{
    {HK_PLAY_PAUSE, F::Play, IDC_HK_PLAY_PAUSE},
    {HK_STOP, F::Stop, IDC_HK_STOP},
    {HK_PREVIOUS, F::Prev, IDC_HK_PREVIOUS},
    {HK_NEXT, F::Next, IDC_HK_NEXT},
    {HK_VOLUME_UP, F::VUp, IDC_HK_VOLUME_UP},
    {HK_VOLUME_DOWN, F::VDown, IDC_HK_VOLUME_DOWN},
    {HK_OPEN_FILE, F::Open1, IDC_HK_OPEN_FILE},
    {HK_OPEN_FOLDER, F::Open2, IDC_HK_OPEN_FOLDER},
    {HK_OPEN_URL, F::Open3, IDC_HK_OPEN_URL},
    {HK_SHUFFLE, F::Shfl, IDC_HK_SHUFFLE},
    {HK_MINIBAR, F::Minibar, IDC_HK_MINIBAR},
    {HK_EQUALIZER, F::Equalizer, IDC_HK_EQUALIZER},
    {HK_REPEAT_CYCLE, F::Rpt, IDC_HK_REPEAT_CYCLE},
    {HK_PLAYLIST, F::Plst, IDC_HK_PLAYLIST},
    {HK_MP3_INFO, F::MP3Info, IDC_HK_MP3_INFO},
    {HK_EXIT, F::Exit, IDC_HK_EXIT},
    {HK_SWITCH_MODE, F::Mode, IDC_HK_SWITCH_MODE},
    {HK_COPY_NOW_PLAYING, F::NP, IDC_HK_COPY_NOW_PLAYING},
    {HK_SEEK_FORWARD, F::Forw, IDC_HK_SEEK_FORWARD},
    {HK_SEEK_BACK, F::Back, IDC_HK_SEEK_BACK},
    {HK_TRAY_ICON, F::TrayIcon, IDC_HK_TRAY_ICON},
    {HK_MAIN_MENU, F::Menu, IDC_HK_MAIN_MENU},
    {HK_TRACKS_MENU, F::Tracks, IDC_HK_TRACKS_MENU},
    {HK_ALBUM_MENU, F::Album, IDC_HK_ALBUM_MENU},
    {HK_ALBUM_MODE, F::Albummode, IDC_HK_ALBUM_MODE},
}};

const HotkeyEntry* FindHotkey(int id) {
    for (const HotkeyEntry& e : kHotkeyTable) {
        if (e.id == id)
            return &e;
    }
    return nullptr;
}

bool RegisterHotkey(HotkeyRegistrar& registrar, const MainWndSettings& settings, int id) {
    const HotkeyEntry* entry = FindHotkey(id);
    if (!entry)
        return false;
    const HotkeyPair& pair = HotkeyPairOf(settings, entry->function);
    if (pair.key == 0)
        return false;
    return registrar.Register(id, pair.mod, pair.key);
}

int RegisterAllHotkeys(HotkeyRegistrar& registrar, const MainWndSettings& settings) {
    int registered = 0;
    for (const HotkeyEntry& e : kHotkeyTable) {
        if (RegisterHotkey(registrar, settings, e.id))
            ++registered;
    }
    return registered;
}

void UnregisterAllHotkeys(HotkeyRegistrar& registrar) {
    for (const HotkeyEntry& e : kHotkeyTable)
        registrar.Unregister(e.id);
}

bool IsRepeatingHotkey(int id) {
    return id == HK_VOLUME_UP || id == HK_VOLUME_DOWN || id == HK_SEEK_FORWARD ||
           id == HK_SEEK_BACK;
}

void CycleRepeat(MainWndSettings& settings) {
    if (settings.Repeat == 0 && settings.RepeatTrack == 0) {
        settings.Repeat = 1;
    } else if (settings.Repeat != 0 && settings.RepeatTrack == 0) {
        settings.Repeat = 0;
        settings.RepeatTrack = 1;
    } else if (settings.Repeat == 0) {
        settings.RepeatTrack = 0;
    }
}

} // namespace zeb
