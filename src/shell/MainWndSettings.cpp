#include "shell/MainWndSettings.h"

#include "platform/IniFile.h"
#include "playlist/AnsiCodePage.h"
#include "shell/EqualizerPresets.h"
#include "shell/NumberedKeys.h"
#include "shell/SettingsKeyTable.h"

#include <cstdlib>

namespace zeb {

namespace {

constexpr HotkeyKeyNames kHotkeyKeyNames[kHotkeyFunctionCount] = {
    {"PlayKey", "PlayMod"},         {"StopKey", "StopMod"},   {"PrevKey", "PrevMod"},
    {"NextKey", "NextMod"},         {"ForwKey", "ForwMod"},   {"BackKey", "BackMod"},
    {"VUpKey", "VUpMod"},           {"VDownKey", "VDownMod"}, {"OpenKey1", "OpenMod1"},
    {"OpenKey2", "OpenMod2"},       {"OpenKey3", "OpenMod3"}, {"MinibarKey", "MinibarMod"},
    {"MP3InfoKey", "MP3InfoMod"},   {"PlstKey", "PlstMod"},   {"EqualizerKey", "EqualizerMod"},
    {"RptKey", "RptMod"},           {"ShflKey", "ShflMod"},   {"AlbummodeKey", "AlbummodeMod"},
    {"TrayIconKey", "TrayIconMod"}, {"MenuKey", "MenuMod"},   {"TracksKey", "TracksMod"},
    {"AlbumKey", "AlbumMod"},       {"NPKey", "NPMod"},       {"ModeKey", "ModeMod"},
    {"ExitKey", "ExitMod"},
};

using S = MainWndSettings;
using K = SettingKey::Kind;
using W = SettingKey::Writer;

// Builds the table from the member's default value, so the defaults are
// stated once, in the class.
class TableBuilder {
public:
    explicit TableBuilder(std::vector<SettingKey>& out) : out_(out) {}

    void Int(std::string name, std::function<int&(S&)> ref, K kind = K::Int,
             W writer = W::SaveSettings) {
        S defaults;
        int def = ref(defaults);
        out_.push_back({std::move(name), kind, def, {}, std::move(ref), {}, writer});
    }
    void Flag(std::string name, std::function<int&(S&)> ref, W writer = W::SaveSettings) {
        Int(std::move(name), std::move(ref), K::Flag, writer);
    }
    void String(std::string name, std::function<std::string&(S&)> ref) {
        S defaults;
        std::string def = ref(defaults);
        out_.push_back({std::move(name), K::String, 0, std::move(def), {}, std::move(ref)});
    }
    void Group(std::string name, K kind) {
        SettingKey key;
        key.name = std::move(name);
        key.kind = kind;
        out_.push_back(std::move(key));
    }

private:
    std::vector<SettingKey>& out_;
};

#define MEMBER(m) [](S& s) -> decltype(s.m)& { return s.m; }

void AddPlayerKeys(TableBuilder& t) {
    t.Flag("HighPriority", MEMBER(HighPriority));
    t.Int("Priority", MEMBER(Priority));
    t.Int("Buffers", MEMBER(Buffers));
    t.Int("InputBuffers", MEMBER(InputBuffers));
    t.Flag("ForceMono", MEMBER(ForceMono));
    t.Int("Downsampling", MEMBER(Downsampling));
    t.Int("ADevice", MEMBER(ADevice));
    t.Int("MDevice", MEMBER(MDevice));
    t.Int("OutputModule", MEMBER(OutputModule));
    t.String("OutPath", MEMBER(OutPath));
    t.Int("Gap", MEMBER(Gap));
    t.Flag("AutoPlay", MEMBER(AutoPlay));
    t.Flag("RandomFirst", MEMBER(RandomFirst));
    t.Flag("ShuffleMode", MEMBER(ShuffleMode));
    t.Flag("Repeat", MEMBER(Repeat));
    t.Flag("RepeatTrack", MEMBER(RepeatTrack));
    t.Flag("AlbumStop", MEMBER(AlbumStop));
    t.Flag("IncludeWAVs", MEMBER(IncludeWAVs));
    t.Flag("EnableEQ", MEMBER(EnableEQ));
    t.Int("Preamp", MEMBER(Preamp));
    for (size_t i = 0; i < 10; ++i)
        t.Int("EQ" + std::to_string(i + 1), [i](S& s) -> int& { return s.EQ[i]; });
    t.Int("EQPreset", MEMBER(EQPreset));
    t.Group("Presets", K::Presets);
}

void AddDisplayKeys(TableBuilder& t) {
    t.Int("ShowingMode", MEMBER(ShowingMode));
    t.Flag("ShowRemainingTime", MEMBER(ShowRemainingTime));
    t.Flag("ShowTTT", MEMBER(ShowTTT));
    t.Flag("ShowGradientBar", MEMBER(ShowGradientBar));
    t.Flag("GraphicalButtons", MEMBER(GraphicalButtons));
    t.Flag("SMTracks", MEMBER(SMTracks));
    t.Flag("SMAlbum", MEMBER(SMAlbum));
    t.Int("TPC", MEMBER(TPC));
    t.Int("Language", MEMBER(Language));
    t.String("CurrentSkin", MEMBER(CurrentSkin));
    t.String("InitDir", MEMBER(InitDir));
    for (size_t i = 0; i < 10; ++i)
        t.String("Recent" + std::to_string(i), [i](S& s) -> std::string& { return s.Recent[i]; });
    t.Flag("ExtPlaylistFormat", MEMBER(ExtPlaylistFormat));
    t.String("RNTemplate", MEMBER(RNTemplate));
}

void AddWindowKeys(TableBuilder& t) {
    t.Int("SeekBarX", MEMBER(SeekBarX));
    t.Int("SeekBarY", MEMBER(SeekBarY));
    t.Int("SeekBarW", MEMBER(SeekBarW));
    t.Int("SBDockR", MEMBER(SBDockR));
    t.Int("SBDockB", MEMBER(SBDockB));
    t.Flag("DockMinibar", MEMBER(DockMinibar));
    t.Int("EqualizerX", MEMBER(EqualizerX));
    t.Int("EqualizerY", MEMBER(EqualizerY));
    t.Int("PlaylistX", MEMBER(PlaylistX));
    t.Int("PlaylistY", MEMBER(PlaylistY));
    t.Int("PlaylistW", MEMBER(PlaylistW));
    t.Int("PlaylistH", MEMBER(PlaylistH));
    t.Int("InfoX", MEMBER(InfoX));
    t.Int("InfoY", MEMBER(InfoY));
    t.Flag("PlaylistOnTop", MEMBER(PlaylistOnTop));
    t.Flag("EQOnTop", MEMBER(EQOnTop));
    t.Flag("InfoOnTop", MEMBER(InfoOnTop));
    t.Flag("BarAtStartup", MEMBER(BarAtStartup), W::ExitSequence);
    t.Flag("PlaylistAtStartup", MEMBER(PlaylistAtStartup), W::ExitSequence);
    t.Flag("EQAtStartup", MEMBER(EQAtStartup), W::ExitSequence);
}

void AddMouseAndHotkeyKeys(TableBuilder& t) {
    t.Flag("NoClicks", MEMBER(NoClicks));
    for (size_t i = 0; i < 4; ++i)
        t.Int("Clicks" + std::to_string(i + 1), [i](S& s) -> int& { return s.Clicks[i]; });
    for (size_t i = 0; i < 4; ++i)
        t.Int("RClicks" + std::to_string(i + 1), [i](S& s) -> int& { return s.RClicks[i]; });
    t.Int("PressAndHold", MEMBER(PressAndHold));
    for (size_t i = 0; i < kHotkeyFunctionCount; ++i) {
        t.Int(kHotkeyKeyNames[i].key, [i](S& s) -> int& { return s.Hotkeys[i].key; });
        t.Int(kHotkeyKeyNames[i].mod, [i](S& s) -> int& { return s.Hotkeys[i].mod; });
    }
}

void AddRemoteAndNowPlayingKeys(TableBuilder& t) {
    t.Flag("WAEmu", MEMBER(WAEmu));
    t.Flag("W2Fenabled", MEMBER(W2Fenabled));
    t.String("W2Ffile", MEMBER(W2Ffile));
    t.String("W2Fplay", MEMBER(W2Fplay));
    t.String("W2Fpause", MEMBER(W2Fpause));
    t.String("W2Fstop", MEMBER(W2Fstop));
    t.String("W2Fexit", MEMBER(W2Fexit));
    t.Flag("W2Foem", MEMBER(W2Foem));
    t.Flag("W2Fdel", MEMBER(W2Fdel));
}

void AddCdKeys(TableBuilder& t) {
    t.Flag("CDMode", MEMBER(CDMode), W::ExitSequence);
    t.String("CDLetter", MEMBER(CDLetter));
    t.Flag("AutoCDDB", MEMBER(AutoCDDB));
    t.String("CDDBServer", MEMBER(CDDBServer));
    t.String("EMailAddress", MEMBER(EMailAddress));
}

void AddAutomationKeys(TableBuilder& t) {
    t.Flag("AutSort", MEMBER(AutSort));
    t.Flag("AutRemove", MEMBER(AutRemove));
    t.Flag("AutRemovedup", MEMBER(AutRemovedup));
    t.Flag("AutRescan", MEMBER(AutRescan));
    t.Int("AutPeriod", MEMBER(AutPeriod));
    t.Flag("AutEvery", MEMBER(AutEvery));
    t.Flag("AutOnStart", MEMBER(AutOnStart));
    t.Flag("AutSaveset", MEMBER(AutSaveset));
    t.Group("AutDirsCnt", K::AutDirs);
}

#undef MEMBER

std::vector<SettingKey> BuildTable() {
    std::vector<SettingKey> table;
    TableBuilder t(table);
    AddPlayerKeys(t);
    AddDisplayKeys(t);
    AddWindowKeys(t);
    AddMouseAndHotkeyKeys(t);
    AddRemoteAndNowPlayingKeys(t);
    AddCdKeys(t);
    AddAutomationKeys(t);
    t.Int(
        "CurrentInPlaylist", [](S& s) -> int& { return s.CurrentInPlaylist; }, K::Int,
        W::PlaylistSave);
    return table;
}

std::vector<std::string> LoadWatchedFolders(const IniFile& ini, const std::string& section) {
    std::vector<std::string> dirs;
    int count =
        std::min(ini.GetInt(section, "AutDirsCnt", 0), HighestNumberedKey(ini, section, "AutDir"));
    for (int n = 1; n <= count; ++n) {
        std::string dir = ini.GetString(section, "AutDir" + std::to_string(n), "");
        if (dir.empty())
            continue;
        // A folder typed into the file without its separator still scans.
        if (dir.back() != '/')
            dir += '/';
        dirs.push_back(std::move(dir));
    }
    return dirs;
}

void SaveWatchedFolders(IniFile& ini, const std::string& section,
                        const std::vector<std::string>& dirs) {
    ini.WriteInt(section, "AutDirsCnt", static_cast<int>(dirs.size()));
    for (size_t n = 0; n < dirs.size(); ++n)
        ini.WriteString(section, "AutDir" + std::to_string(n + 1), dirs[n]);
}

void LoadKey(const SettingKey& key, MainWndSettings& s, const IniFile& ini,
             const std::string& section) {
    switch (key.kind) {
    case K::Int:
    case K::Flag:
        key.intRef(s) = ini.GetInt(section, key.name, key.intDefault);
        break;
    case K::String:
        key.stringRef(s) = ini.GetString(section, key.name, key.stringDefault);
        break;
    case K::Presets:
        s.EqPresets = LoadEqualizerPresets(ini, section);
        break;
    case K::AutDirs:
        s.AutDirs = LoadWatchedFolders(ini, section);
        break;
    }
}

void SaveKey(const SettingKey& key, MainWndSettings& m, IniFile& ini, const std::string& section) {
    switch (key.kind) {
    case K::Int:
        ini.WriteInt(section, key.name, key.intRef(m));
        break;
    case K::Flag:
        ini.WriteInt(section, key.name, key.intRef(m) != 0 ? 1 : 0);
        break;
    case K::String:
        ini.WriteString(section, key.name, key.stringRef(m));
        break;
    case K::Presets:
        SaveEqualizerPresets(ini, section, m.EqPresets);
        break;
    case K::AutDirs:
        SaveWatchedFolders(ini, section, m.AutDirs);
        break;
    }
}

bool SaveKeysWrittenBy(W writer, const MainWndSettings& s, IniFile& ini,
                       const std::string& section) {
    // The table's member references need a mutable object; saving only reads.
    MainWndSettings values = s;
    IniFile::Batch batch(ini);
    for (const SettingKey& key : SettingKeyTable()) {
        if (key.writer == writer)
            SaveKey(key, values, ini, section);
    }
    return batch.Commit();
}

} // namespace

const HotkeyKeyNames& HotkeyKeyNamesOf(HotkeyFunction f) {
    return kHotkeyKeyNames[static_cast<size_t>(f)];
}

const std::vector<SettingKey>& SettingKeyTable() {
    static const std::vector<SettingKey> table = BuildTable();
    return table;
}

std::string DefaultFolder() {
    const char* home = std::getenv("HOME");
    std::string folder = (home && *home) ? home : "/";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

MainWndSettings::MainWndSettings() : OutPath(DefaultFolder()), InitDir(DefaultFolder()) {}

void MainWndSettings::LoadSettings(const IniFile& ini, const std::string& section) {
    for (const SettingKey& key : SettingKeyTable())
        LoadKey(key, *this, ini, section);
    SetAnsiCodePageForLanguage(Language);
}

bool MainWndSettings::SaveSettings(IniFile& ini, const std::string& section) const {
    return SaveKeysWrittenBy(W::SaveSettings, *this, ini, section);
}

bool MainWndSettings::SaveExitFlags(IniFile& ini, const std::string& section) const {
    return SaveKeysWrittenBy(W::ExitSequence, *this, ini, section);
}

bool MainWndSettings::SaveCurrentInPlaylist(IniFile& ini, const std::string& section) const {
    return SaveKeysWrittenBy(W::PlaylistSave, *this, ini, section);
}

std::string SettingsSectionName(bool sharedSection, const std::string* userName) {
    if (sharedSection || !userName || userName->empty())
        return "Preferences";
    return "Preferences - " + *userName;
}

} // namespace zeb
