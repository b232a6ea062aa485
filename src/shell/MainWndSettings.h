#pragma once

#include <array>
#include <string>
#include <vector>

namespace zeb {

class IniFile;

// The global hotkey functions in the order their key/modifier pairs are stored.
enum class HotkeyFunction {
    Play,
    Stop,
    Prev,
    Next,
    Forw,
    Back,
    VUp,
    VDown,
    Open1,
    Open2,
    Open3,
    Minibar,
    MP3Info,
    Plst,
    Equalizer,
    Rpt,
    Shfl,
    Albummode,
    TrayIcon,
    Menu,
    Tracks,
    Album,
    NP,
    Mode,
    Exit,
};
constexpr int kHotkeyFunctionCount = 25;

// A hotkey as stored: a virtual-key code (0 none) and modifier bits.
struct HotkeyPair {
    int key = 0;
    int mod = 0;
    bool operator==(const HotkeyPair&) const = default;
};
constexpr int kModAlt = 1;
constexpr int kModControl = 2;
constexpr int kModShift = 4;

struct HotkeyKeyNames {
    const char* key;
    const char* mod;
};
const HotkeyKeyNames& HotkeyKeyNamesOf(HotkeyFunction f);

// Every persistent setting of the player, as members named after their keys.
// The main window holds these; dialogs edit them directly. Values are kept as
// read: a flag holding 2 stays 2 in memory and is written back as 1.
struct MainWndSettings {
    MainWndSettings();

    // Player and playback
    int HighPriority = 1;
    int Priority = 3;
    int Buffers = 2;
    int InputBuffers = 2;
    int ForceMono = 0;
    int Downsampling = 0;
    int ADevice = -1;
    int MDevice = 0;
    int OutputModule = 1;
    std::string OutPath; // the home folder with a trailing '/'
    int Gap = 0;
    int AutoPlay = 1;
    int RandomFirst = 0;
    int ShuffleMode = 0;
    int Repeat = 0;
    int RepeatTrack = 0;
    int AlbumStop = 0;
    int IncludeWAVs = 0;
    int EnableEQ = 0;
    int Preamp = 0;
    std::array<int, 10> EQ{}; // EQ1 ... EQ10
    int EQPreset = -1;
    // Equalizer presets, each "name<TAB>letters", in load order.
    std::vector<std::string> EqPresets;

    // Display and menus
    int ShowingMode = 0;
    int ShowRemainingTime = 0;
    int ShowTTT = 0;
    int ShowGradientBar = 0;
    int GraphicalButtons = 1;
    int SMTracks = 1;
    int SMAlbum = 1;
    int TPC = 30;
    int Language = 0;
    std::string CurrentSkin;
    std::string InitDir; // the home folder with a trailing '/'
    std::array<std::string, 10> Recent;
    int ExtPlaylistFormat = 0;
    std::string RNTemplate = "%1 - %3";

    // Windows
    int SeekBarX = -1000;
    int SeekBarY = -1000;
    int SeekBarW = -1000;
    int SBDockR = 0;
    int SBDockB = 0;
    int DockMinibar = 0;
    int EqualizerX = -1000;
    int EqualizerY = -1000;
    int PlaylistX = -1000;
    int PlaylistY = -1000;
    int PlaylistW = -1000;
    int PlaylistH = -1000;
    int InfoX = -1000;
    int InfoY = -1000;
    int PlaylistOnTop = 0;
    int EQOnTop = 0;
    int InfoOnTop = 0;
    int BarAtStartup = 0;
    int PlaylistAtStartup = 0;
    int EQAtStartup = 0;

    // Tray mouse and hotkeys
    int NoClicks = 0;
    std::array<int, 4> Clicks{1, 4, 3, 2};
    std::array<int, 4> RClicks{10, 0, 0, 0};
    int PressAndHold = 2;
    std::array<HotkeyPair, kHotkeyFunctionCount> Hotkeys{};

    // Remote control and now-playing file
    int WAEmu = 0;
    int W2Fenabled = 0;
    std::string W2Ffile;
    std::string W2Fplay = "Now playing: %T";
    std::string W2Fpause = "Now paused: %T";
    std::string W2Fstop = "Now stopped: %T";
    std::string W2Fexit = "ZEB is closed";
    int W2Foem = 0;
    int W2Fdel = 0;

    // Audio CD
    int CDMode = 0;
    std::string CDLetter;
    int AutoCDDB = 0;
    std::string CDDBServer = "gnudb.gnudb.org";
    std::string EMailAddress = "someone@example.org";

    // Automation
    int AutSort = 0;
    int AutRemove = 0;
    int AutRemovedup = 0;
    int AutRescan = 0;
    int AutPeriod = 5;
    int AutEvery = 0;
    int AutOnStart = 0;
    int AutSaveset = 0;
    std::vector<std::string> AutDirs; // AutDirsCnt and AutDir1 ... AutDirN

    // Playlist state
    int CurrentInPlaylist = 0;

    bool operator==(const MainWndSettings&) const = default;

    HotkeyPair& Hotkey(HotkeyFunction f) { return Hotkeys[static_cast<size_t>(f)]; }
    const HotkeyPair& Hotkey(HotkeyFunction f) const { return Hotkeys[static_cast<size_t>(f)]; }

    // Reads every key of the section in table order; a missing key keeps
    // the default. Presets follow the other equalizer keys.
    void LoadSettings(const IniFile& ini, const std::string& section);
    // Writes every key except the start-up window flags, CDMode and
    // CurrentInPlaylist, in one replacement of the file.
    bool SaveSettings(IniFile& ini, const std::string& section) const;
    // The keys the exit sequence writes: BarAtStartup, PlaylistAtStartup,
    // EQAtStartup and CDMode.
    bool SaveExitFlags(IniFile& ini, const std::string& section) const;
    // Written together with the saved playlist.
    bool SaveCurrentInPlaylist(IniFile& ini, const std::string& section) const;
};

// "Preferences - <user>", or plain "Preferences" for the shared section
// ("-g") or when the user name is unknown.
std::string SettingsSectionName(bool sharedSection, const std::string* userName);

// The home folder with a trailing '/', the default of the folder settings.
std::string DefaultFolder();

} // namespace zeb
