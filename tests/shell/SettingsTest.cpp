#include "platform/IniFile.h"
#include "shell/MainWndSettings.h"
#include "shell/SettingsKeyTable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kSection = "Preferences - ann";

// Every key the settings file holds, spelled as stored files spell them.
const char* const kAllKeyNames[] = {"HighPriority",
                                    "Priority",
                                    "Buffers",
                                    "InputBuffers",
                                    "ForceMono",
                                    "Downsampling",
                                    "ADevice",
                                    "MDevice",
                                    "OutputModule",
                                    "OutPath",
                                    "Gap",
                                    "AutoPlay",
                                    "RandomFirst",
                                    "ShuffleMode",
                                    "Repeat",
                                    "RepeatTrack",
                                    "AlbumStop",
                                    "IncludeWAVs",
                                    "EnableEQ",
                                    "Preamp",
                                    "EQ1",
                                    "EQ2",
                                    "EQ3",
                                    "EQ4",
                                    "EQ5",
                                    "EQ6",
                                    "EQ7",
                                    "EQ8",
                                    "EQ9",
                                    "EQ10",
                                    "EQPreset",
                                    "Presets",
                                    "PresetName0",
                                    "PresetEQ0",
                                    "ShowingMode",
                                    "ShowRemainingTime",
                                    "ShowTTT",
                                    "ShowGradientBar",
                                    "GraphicalButtons",
                                    "SMTracks",
                                    "SMAlbum",
                                    "TPC",
                                    "Language",
                                    "CurrentSkin",
                                    "InitDir",
                                    "Recent0",
                                    "Recent1",
                                    "Recent2",
                                    "Recent3",
                                    "Recent4",
                                    "Recent5",
                                    "Recent6",
                                    "Recent7",
                                    "Recent8",
                                    "Recent9",
                                    "ExtPlaylistFormat",
                                    "RNTemplate",
                                    "SeekBarX",
                                    "SeekBarY",
                                    "SeekBarW",
                                    "SBDockR",
                                    "SBDockB",
                                    "DockMinibar",
                                    "EqualizerX",
                                    "EqualizerY",
                                    "PlaylistX",
                                    "PlaylistY",
                                    "PlaylistW",
                                    "PlaylistH",
                                    "InfoX",
                                    "InfoY",
                                    "PlaylistOnTop",
                                    "EQOnTop",
                                    "InfoOnTop",
                                    "NoClicks",
                                    "Clicks1",
                                    "Clicks2",
                                    "Clicks3",
                                    "Clicks4",
                                    "RClicks1",
                                    "RClicks2",
                                    "RClicks3",
                                    "RClicks4",
                                    "PressAndHold",
                                    "PlayKey",
                                    "PlayMod",
                                    "StopKey",
                                    "StopMod",
                                    "PrevKey",
                                    "PrevMod",
                                    "NextKey",
                                    "NextMod",
                                    "ForwKey",
                                    "ForwMod",
                                    "BackKey",
                                    "BackMod",
                                    "VUpKey",
                                    "VUpMod",
                                    "VDownKey",
                                    "VDownMod",
                                    "OpenKey1",
                                    "OpenMod1",
                                    "OpenKey2",
                                    "OpenMod2",
                                    "OpenKey3",
                                    "OpenMod3",
                                    "MinibarKey",
                                    "MinibarMod",
                                    "MP3InfoKey",
                                    "MP3InfoMod",
                                    "PlstKey",
                                    "PlstMod",
                                    "EqualizerKey",
                                    "EqualizerMod",
                                    "RptKey",
                                    "RptMod",
                                    "ShflKey",
                                    "ShflMod",
                                    "AlbummodeKey",
                                    "AlbummodeMod",
                                    "TrayIconKey",
                                    "TrayIconMod",
                                    "MenuKey",
                                    "MenuMod",
                                    "TracksKey",
                                    "TracksMod",
                                    "AlbumKey",
                                    "AlbumMod",
                                    "NPKey",
                                    "NPMod",
                                    "ModeKey",
                                    "ModeMod",
                                    "ExitKey",
                                    "ExitMod",
                                    "WAEmu",
                                    "W2Fenabled",
                                    "W2Ffile",
                                    "W2Fplay",
                                    "W2Fpause",
                                    "W2Fstop",
                                    "W2Fexit",
                                    "W2Foem",
                                    "W2Fdel",
                                    "CDLetter",
                                    "AutoCDDB",
                                    "CDDBServer",
                                    "EMailAddress",
                                    "AutSort",
                                    "AutRemove",
                                    "AutRemovedup",
                                    "AutRescan",
                                    "AutPeriod",
                                    "AutEvery",
                                    "AutOnStart",
                                    "AutSaveset",
                                    "AutDirsCnt",
                                    "AutDir1"};

const char* const kKeysWrittenElsewhere[] = {"BarAtStartup", "PlaylistAtStartup", "EQAtStartup",
                                             "CDMode", "CurrentInPlaylist"};

// Gives every setting a value different from its default: flags become 1
// or 0, other ints a distinct number, strings a distinct text.
MainWndSettings Unusual() {
    MainWndSettings s;
    int n = 100;
    for (const SettingKey& key : SettingKeyTable()) {
        ++n;
        switch (key.kind) {
        case SettingKey::Kind::Flag:
            key.intRef(s) = key.intDefault == 0 ? 1 : 0;
            break;
        case SettingKey::Kind::Int:
            key.intRef(s) = (n % 2 ? -n : n) * 3;
            break;
        case SettingKey::Kind::String:
            key.stringRef(s) = "value " + std::to_string(n) + " of " + key.name;
            break;
        case SettingKey::Kind::Presets:
            s.EqPresets = {"Mine\tkkkkkkkkkku", "Pop\tabcdefghijk"};
            break;
        case SettingKey::Kind::AutDirs:
            s.AutDirs = {"/music/new/", "/music/Incoming dir/"};
            break;
        }
    }
    return s;
}

class SettingsTest : public ::testing::Test {
protected:
    TempDir dir_;
    std::string path_ = dir_.File("zeb.ini");
};

TEST_F(SettingsTest, MissingFileGivesTheDocumentedDefaults) {
    IniFile ini(path_);
    MainWndSettings s;
    s.ShuffleMode = 1; // loading must reset what is not in the file
    s.LoadSettings(ini, kSection);
    EXPECT_EQ(s.ShuffleMode, 0);
    EXPECT_EQ(s.HighPriority, 1);
    EXPECT_EQ(s.Priority, 3);
    EXPECT_EQ(s.ADevice, -1);
    EXPECT_EQ(s.OutputModule, 1);
    EXPECT_EQ(s.AutoPlay, 1);
    EXPECT_EQ(s.EQPreset, -1);
    EXPECT_EQ(s.GraphicalButtons, 1);
    EXPECT_EQ(s.TPC, 30);
    EXPECT_EQ(s.RNTemplate, "%1 - %3");
    EXPECT_EQ(s.SeekBarW, -1000);
    EXPECT_EQ(s.Clicks, (std::array<int, 4>{1, 4, 3, 2}));
    EXPECT_EQ(s.RClicks, (std::array<int, 4>{10, 0, 0, 0}));
    EXPECT_EQ(s.PressAndHold, 2);
    EXPECT_EQ(s.W2Fplay, "Now playing: %T");
    EXPECT_EQ(s.W2Fexit, "ZEB is closed");
    EXPECT_EQ(s.AutPeriod, 5);
    EXPECT_EQ(s.EqPresets.size(), 4u);
    EXPECT_FALSE(s.CDDBServer.empty());
    EXPECT_NE(s.EMailAddress.find('@'), std::string::npos);
    ASSERT_FALSE(s.OutPath.empty());
    EXPECT_EQ(s.OutPath.back(), '/');
    EXPECT_EQ(s.InitDir, s.OutPath);
}

TEST_F(SettingsTest, EveryKeyIsWrittenBackWithItsValue) {
    IniFile ini(path_);
    const MainWndSettings saved = Unusual();
    ASSERT_TRUE(saved.SaveSettings(ini, kSection));
    ASSERT_TRUE(saved.SaveExitFlags(ini, kSection));
    ASSERT_TRUE(saved.SaveCurrentInPlaylist(ini, kSection));

    IniFile reread(path_);
    for (const char* key : kAllKeyNames)
        EXPECT_NE(reread.GetString(kSection, key, "<absent>"), "<absent>") << key;
    for (const char* key : kKeysWrittenElsewhere)
        EXPECT_NE(reread.GetString(kSection, key, "<absent>"), "<absent>") << key;

    MainWndSettings loaded;
    loaded.LoadSettings(reread, kSection);
    EXPECT_TRUE(loaded == saved);
    EXPECT_EQ(loaded.Hotkey(HotkeyFunction::Exit), saved.Hotkey(HotkeyFunction::Exit));
    EXPECT_EQ(loaded.EqPresets, saved.EqPresets);
    EXPECT_EQ(loaded.AutDirs, saved.AutDirs);
}

TEST_F(SettingsTest, SaveSettingsLeavesExitSequenceAndPlaylistKeysAlone) {
    WriteFile(path_, "[" + kSection + "]\nBarAtStartup=1\nCDMode=1\nCurrentInPlaylist=17\n");
    IniFile ini(path_);
    MainWndSettings s; // all three are 0 in memory
    ASSERT_TRUE(s.SaveSettings(ini, kSection));
    EXPECT_EQ(ini.GetInt(kSection, "BarAtStartup", -1), 1);
    EXPECT_EQ(ini.GetInt(kSection, "CDMode", -1), 1);
    EXPECT_EQ(ini.GetInt(kSection, "CurrentInPlaylist", -1), 17);
    EXPECT_EQ(ini.GetInt(kSection, "PlaylistAtStartup", -1), -1);

    ASSERT_TRUE(s.SaveExitFlags(ini, kSection));
    EXPECT_EQ(ini.GetInt(kSection, "BarAtStartup", -1), 0);
    EXPECT_EQ(ini.GetInt(kSection, "PlaylistAtStartup", -1), 0);
    EXPECT_EQ(ini.GetInt(kSection, "CurrentInPlaylist", -1), 17);
}

TEST_F(SettingsTest, ValuesAreUsedAsReadAndFlagsAreWrittenAsZeroOrOne) {
    WriteFile(path_, "[" + kSection +
                         "]\nShuffleMode=5\nRepeat=-1\nShowingMode=7\nTPC=12abc\n"
                         "Gap=soon\nADevice=3\n");
    IniFile ini(path_);
    MainWndSettings s;
    s.LoadSettings(ini, kSection);
    EXPECT_EQ(s.ShuffleMode, 5);
    EXPECT_EQ(s.ShowingMode, 7);
    EXPECT_EQ(s.TPC, 12);
    EXPECT_EQ(s.Gap, 0); // not a number: the default
    EXPECT_EQ(s.ADevice, 3);
    ASSERT_TRUE(s.SaveSettings(ini, kSection));
    EXPECT_EQ(ini.GetString(kSection, "ShuffleMode", ""), "1");
    EXPECT_EQ(ini.GetString(kSection, "Repeat", ""), "1");
    EXPECT_EQ(ini.GetString(kSection, "ShowingMode", ""), "7");
    EXPECT_EQ(ini.GetString(kSection, "RandomFirst", ""), "0");
}

TEST_F(SettingsTest, TwoUsersKeepSectionsOfTheirOwnSideBySide) {
    IniFile ini(path_);
    std::string ann = "ann", bob = "bob";
    std::string annSection = SettingsSectionName(false, &ann);
    std::string bobSection = SettingsSectionName(false, &bob);
    EXPECT_EQ(annSection, "Preferences - ann");
    EXPECT_EQ(bobSection, "Preferences - bob");

    MainWndSettings annSettings, bobSettings;
    annSettings.Language = 1;
    annSettings.Recent[0] = "/music/ann.mp3";
    bobSettings.ShuffleMode = 1;
    ASSERT_TRUE(annSettings.SaveSettings(ini, annSection));
    const std::string afterAnn = ReadFile(path_);
    ASSERT_TRUE(bobSettings.SaveSettings(ini, bobSection));
    // Bob's save kept Ann's section line for line.
    EXPECT_EQ(ReadFile(path_).substr(0, afterAnn.size()), afterAnn);

    MainWndSettings annAgain, bobAgain;
    annAgain.LoadSettings(ini, annSection);
    bobAgain.LoadSettings(ini, bobSection);
    EXPECT_EQ(annAgain.Language, 1);
    EXPECT_EQ(annAgain.ShuffleMode, 0);
    EXPECT_EQ(annAgain.Recent[0], "/music/ann.mp3");
    EXPECT_EQ(bobAgain.Language, 0);
    EXPECT_EQ(bobAgain.ShuffleMode, 1);
}

TEST_F(SettingsTest, SharedSectionForDashGOrAnUnknownUser) {
    std::string ann = "ann", empty;
    EXPECT_EQ(SettingsSectionName(true, &ann), "Preferences");
    EXPECT_EQ(SettingsSectionName(false, nullptr), "Preferences");
    EXPECT_EQ(SettingsSectionName(false, &empty), "Preferences");

    WriteFile(path_, "[Preferences]\nLanguage=1\n[Preferences - ann]\nLanguage=0\n");
    IniFile ini(path_);
    MainWndSettings shared, own;
    shared.LoadSettings(ini, SettingsSectionName(true, &ann));
    own.LoadSettings(ini, SettingsSectionName(false, &ann));
    EXPECT_EQ(shared.Language, 1);
    EXPECT_EQ(own.Language, 0);
}

TEST_F(SettingsTest, WatchedFoldersSkipEmptyKeysGainTheirSeparatorAndCloseUpWhenSaved) {
    WriteFile(path_, "[" + kSection +
                         "]\nAutDirsCnt=3\nAutDir1=/a\nAutDir2=\nAutDir3=/c/\n"
                         "AutDir4=/beyond/count\n");
    IniFile ini(path_);
    MainWndSettings s;
    s.LoadSettings(ini, kSection);
    EXPECT_EQ(s.AutDirs, (std::vector<std::string>{"/a/", "/c/"}));
    ASSERT_TRUE(s.SaveSettings(ini, kSection));
    EXPECT_EQ(ini.GetInt(kSection, "AutDirsCnt", -1), 2);
    EXPECT_EQ(ini.GetString(kSection, "AutDir1", ""), "/a/");
    EXPECT_EQ(ini.GetString(kSection, "AutDir2", ""), "/c/");
}

// Counts are taken from a file anyone can edit: the largest one must cost
// no more than the keys that are really there.
TEST_F(SettingsTest, HugeCountsStopAtTheLastKeyPresent) {
    WriteFile(path_, "[" + kSection +
                         "]\nAutDirsCnt=2147483647\nAutDir1=/a\nautdir7=/g\n"
                         "Presets=2147483647\nPresetName5=Flat\nPresetEQ5=kkkkkkkkkkk\n");
    IniFile ini(path_);
    MainWndSettings s;
    s.LoadSettings(ini, kSection);
    EXPECT_EQ(s.AutDirs, (std::vector<std::string>{"/a/", "/g/"}));
    ASSERT_EQ(s.EqPresets.size(), 5u); // the four built-in ones and "Flat"
    EXPECT_EQ(s.EqPresets[4], "Flat\tkkkkkkkkkkk");
}

TEST_F(SettingsTest, SavingKeepsForeignKeysAndCommentsOfTheSection) {
    WriteFile(path_, "; hand-written note\n[" + kSection + "]\nFutureKey=keep\nGap=100\n");
    IniFile ini(path_);
    MainWndSettings s;
    s.LoadSettings(ini, kSection);
    ASSERT_TRUE(s.SaveSettings(ini, kSection));
    std::string text = ReadFile(path_);
    EXPECT_EQ(text.rfind("; hand-written note\n[" + kSection + "]\nFutureKey=keep\nGap=100\n", 0),
              0u);
}

} // namespace
} // namespace zeb
