// The hotkey table and the registration rules, with a registrar that
// records what it is asked and refuses chosen ids.
#include "shell/HotkeyTable.h"

#include "resources/ResourceIds.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace zeb {
namespace {

struct FakeRegistrar : HotkeyRegistrar {
    std::map<int, std::pair<int, int>> registered; // id -> (modifiers, key)
    std::vector<int> registerCalls;
    std::vector<int> unregisterCalls;
    std::set<int> refuse;

    bool Register(int id, int modifiers, int virtualKey) override {
        registerCalls.push_back(id);
        if (refuse.count(id))
            return false;
        registered[id] = {modifiers, virtualKey};
        return true;
    }
    void Unregister(int id) override {
        unregisterCalls.push_back(id);
        registered.erase(id);
    }
};

// Each id with the key setting it uses.
const std::vector<std::pair<int, std::string>> kExpectedKeys = {
    {101, "PlayKey"},       {102, "StopKey"},  {103, "PrevKey"},    {104, "NextKey"},
    {201, "VUpKey"},        {202, "VDownKey"}, {301, "OpenKey1"},   {302, "OpenKey2"},
    {303, "OpenKey3"},      {401, "ShflKey"},  {501, "MinibarKey"}, {601, "EqualizerKey"},
    {701, "RptKey"},        {801, "PlstKey"},  {901, "MP3InfoKey"}, {1001, "ExitKey"},
    {1101, "ModeKey"},      {1201, "NPKey"},   {1301, "ForwKey"},   {1302, "BackKey"},
    {1401, "TrayIconKey"},  {1501, "MenuKey"}, {1502, "TracksKey"}, {1503, "AlbumKey"},
    {1601, "AlbummodeKey"},
};

TEST(HotkeyTable, IdsSettingsAndControlsInTableOrder) {
    ASSERT_EQ(kHotkeyTable.size(), kExpectedKeys.size());
    std::set<HotkeyFunction> functions;
    for (size_t i = 0; i < kHotkeyTable.size(); ++i) {
        const HotkeyEntry& e = kHotkeyTable[i];
        EXPECT_EQ(e.id, kExpectedKeys[i].first);
        EXPECT_EQ(HotkeyKeyNamesOf(e.function).key, kExpectedKeys[i].second) << e.id;
        EXPECT_EQ(e.controlId, kHotkeyControls[i].controlId) << e.id;
        EXPECT_EQ(FindHotkey(e.id), &e);
        functions.insert(e.function);
    }
    EXPECT_EQ(int(functions.size()), kHotkeyFunctionCount);
    EXPECT_EQ(FindHotkey(HK_PLAY_PAUSE)->controlId, 1132);
    EXPECT_EQ(FindHotkey(HK_SEEK_BACK)->controlId, 1133);
    EXPECT_EQ(FindHotkey(HK_ALBUM_MODE)->controlId, 1153);
    EXPECT_EQ(FindHotkey(0), nullptr);
    EXPECT_EQ(FindHotkey(105), nullptr);
}

TEST(HotkeyTable, RegistersStoredPairsAndSkipsKeyZero) {
    MainWndSettings settings;
    settings.Hotkeys.fill({});
    settings.Hotkeys[size_t(HotkeyFunction::Play)] = {'P', kModControl | kModAlt};
    settings.Hotkeys[size_t(HotkeyFunction::VUp)] = {0x26, kModShift | kModControl};
    settings.Hotkeys[size_t(HotkeyFunction::Back)] = {0x25, 0};
    settings.Hotkeys[size_t(HotkeyFunction::Exit)] = {0, kModAlt | kModShift}; // modifier only
    FakeRegistrar registrar;
    EXPECT_EQ(RegisterAllHotkeys(registrar, settings), 3);
    EXPECT_EQ(registrar.registerCalls, (std::vector<int>{101, 201, 1302}));
    EXPECT_EQ(registrar.registered[101], std::make_pair(3, int('P')));
    EXPECT_EQ(registrar.registered[201], std::make_pair(6, 0x26));
    EXPECT_EQ(registrar.registered[1302], std::make_pair(0, 0x25));
}

TEST(HotkeyTable, EveryPairReachesItsOwnId) {
    MainWndSettings settings;
    for (int i = 0; i < kHotkeyFunctionCount; ++i)
        settings.Hotkeys[size_t(i)] = {0x41 + i, i % 8};
    FakeRegistrar registrar;
    EXPECT_EQ(RegisterAllHotkeys(registrar, settings), kHotkeyFunctionCount);
    for (const HotkeyEntry& e : kHotkeyTable) {
        const HotkeyPair& pair = settings.Hotkeys[size_t(e.function)];
        EXPECT_EQ(registrar.registered[e.id], std::make_pair(pair.mod, pair.key)) << e.id;
    }
}

TEST(HotkeyTable, ARefusedHotkeyIsLeftOutAndTheRestGoOn) {
    MainWndSettings settings;
    settings.Hotkeys.fill({});
    settings.Hotkeys[size_t(HotkeyFunction::Play)] = {'P', 3};
    settings.Hotkeys[size_t(HotkeyFunction::Stop)] = {'S', 3};
    settings.Hotkeys[size_t(HotkeyFunction::Next)] = {'N', 3};
    FakeRegistrar registrar;
    registrar.refuse = {102};
    EXPECT_EQ(RegisterAllHotkeys(registrar, settings), 2);
    EXPECT_EQ(registrar.registerCalls, (std::vector<int>{101, 102, 104}));
    EXPECT_EQ(registrar.registered.count(102), 0u);
}

TEST(HotkeyTable, UnregisterAllCoversEveryId) {
    FakeRegistrar registrar;
    UnregisterAllHotkeys(registrar);
    std::vector<int> expected;
    for (const auto& [id, key] : kExpectedKeys)
        expected.push_back(id);
    EXPECT_EQ(registrar.unregisterCalls, expected);
}

TEST(HotkeyTable, RepeatingHotkeysRegisterAgainWithTheirOwnPair) {
    for (int id : {201, 202, 1301, 1302})
        EXPECT_TRUE(IsRepeatingHotkey(id)) << id;
    for (int id : {101, 203, 301, 701, 1303, 1401, 0})
        EXPECT_FALSE(IsRepeatingHotkey(id)) << id;

    MainWndSettings settings;
    settings.Hotkeys.fill({});
    settings.Hotkeys[size_t(HotkeyFunction::Back)] = {0x25, kModControl | kModAlt};
    settings.Hotkeys[size_t(HotkeyFunction::Forw)] = {0x27, kModControl | kModAlt};
    FakeRegistrar registrar;
    EXPECT_TRUE(RegisterHotkey(registrar, settings, HK_SEEK_BACK));
    EXPECT_EQ(registrar.registered[HK_SEEK_BACK], std::make_pair(3, 0x25));
    EXPECT_FALSE(RegisterHotkey(registrar, settings, HK_VOLUME_UP)); // key 0
    EXPECT_FALSE(RegisterHotkey(registrar, settings, 9999));
    EXPECT_EQ(registrar.registerCalls, std::vector<int>{HK_SEEK_BACK});
}

TEST(HotkeyTable, RepeatCycleGoesOffListTrackOff) {
    MainWndSettings s;
    s.Repeat = 0;
    s.RepeatTrack = 0;
    CycleRepeat(s);
    EXPECT_EQ(std::make_pair(s.Repeat, s.RepeatTrack), std::make_pair(1, 0));
    CycleRepeat(s);
    EXPECT_EQ(std::make_pair(s.Repeat, s.RepeatTrack), std::make_pair(0, 1));
    CycleRepeat(s);
    EXPECT_EQ(std::make_pair(s.Repeat, s.RepeatTrack), std::make_pair(0, 0));
    // A flag read as 2 counts as set.
    s.Repeat = 2;
    CycleRepeat(s);
    EXPECT_EQ(std::make_pair(s.Repeat, s.RepeatTrack), std::make_pair(0, 1));
    // Both set matches no step of the cycle: nothing changes.
    s.Repeat = 1;
    s.RepeatTrack = 1;
    CycleRepeat(s);
    EXPECT_EQ(std::make_pair(s.Repeat, s.RepeatTrack), std::make_pair(1, 1));
}

} // namespace
} // namespace zeb
