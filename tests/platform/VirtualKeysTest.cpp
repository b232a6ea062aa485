// Virtual-key codes against X11 keysyms and Qt key codes.
#include "platform/VirtualKeys.h"

#include <Qt>
#include <gtest/gtest.h>
#include <vector>

namespace zeb {
namespace {

// Every virtual-key code that must be usable as a hotkey.
std::vector<int> HotkeyCapableKeys() {
    std::vector<int> keys;
    auto range = [&keys](int first, int last) {
        for (int vk = first; vk <= last; ++vk)
            keys.push_back(vk);
    };
    range('A', 'Z');
    range('0', '9');
    range(0x70, 0x87); // F1-F24
    range(0x60, 0x6f); // keypad
    range(0x21, 0x28); // PgUp, PgDn, End, Home, arrows
    range(0x2d, 0x2e); // Insert, Delete
    range(0xad, 0xb3); // volume and media
    range(0xba, 0xc0); // punctuation
    range(0xdb, 0xde);
    for (int vk : {0x20, 0x0d, 0x1b, 0x09, 0x08, 0x13})
        keys.push_back(vk);
    return keys;
}

bool IsKeypad(int vk) {
    return vk >= 0x60 && vk <= 0x6f;
}

TEST(VirtualKeys, EveryHotkeyKeyHasAKeysymThatLeadsBack) {
    std::vector<std::uint32_t> seen;
    for (int vk : HotkeyCapableKeys()) {
        const std::uint32_t keysym = KeysymFromVirtualKey(vk);
        ASSERT_NE(keysym, 0u) << std::hex << vk;
        EXPECT_EQ(VirtualKeyFromKeysym(keysym), vk) << std::hex << vk;
        for (std::uint32_t other : seen)
            EXPECT_NE(other, keysym) << "two keys share keysym " << std::hex << keysym;
        seen.push_back(keysym);
    }
}

TEST(VirtualKeys, KeysymsAreTheX11Ones) {
    EXPECT_EQ(KeysymFromVirtualKey('P'), 0x70u); // XK_p: the keyboard map lists lower case
    EXPECT_EQ(KeysymFromVirtualKey('7'), 0x37u);
    EXPECT_EQ(KeysymFromVirtualKey(0x70), 0xffbeu); // F1
    EXPECT_EQ(KeysymFromVirtualKey(0x87), 0xffd5u); // F24
    EXPECT_EQ(KeysymFromVirtualKey(0x60), 0xffb0u); // KP_0
    EXPECT_EQ(KeysymFromVirtualKey(0x6a), 0xffaau); // KP_Multiply
    EXPECT_EQ(KeysymFromVirtualKey(0x6f), 0xffafu); // KP_Divide
    EXPECT_EQ(KeysymFromVirtualKey(0x25), 0xff51u); // Left
    EXPECT_EQ(KeysymFromVirtualKey(0x28), 0xff54u); // Down
    EXPECT_EQ(KeysymFromVirtualKey(0x21), 0xff55u); // Prior
    EXPECT_EQ(KeysymFromVirtualKey(0x22), 0xff56u); // Next
    EXPECT_EQ(KeysymFromVirtualKey(0x23), 0xff57u); // End
    EXPECT_EQ(KeysymFromVirtualKey(0x24), 0xff50u); // Home
    EXPECT_EQ(KeysymFromVirtualKey(0x2d), 0xff63u); // Insert
    EXPECT_EQ(KeysymFromVirtualKey(0x2e), 0xffffu); // Delete
    EXPECT_EQ(KeysymFromVirtualKey(0x20), 0x20u);
    EXPECT_EQ(KeysymFromVirtualKey(0x0d), 0xff0du);
    EXPECT_EQ(KeysymFromVirtualKey(0x1b), 0xff1bu);
    EXPECT_EQ(KeysymFromVirtualKey(0x08), 0xff08u);
    EXPECT_EQ(KeysymFromVirtualKey(0x13), 0xff13u);
    EXPECT_EQ(KeysymFromVirtualKey(0xba), 0x3bu);       // ;
    EXPECT_EQ(KeysymFromVirtualKey(0xbb), 0x3du);       // =
    EXPECT_EQ(KeysymFromVirtualKey(0xc0), 0x60u);       // `
    EXPECT_EQ(KeysymFromVirtualKey(0xdb), 0x5bu);       // [
    EXPECT_EQ(KeysymFromVirtualKey(0xde), 0x27u);       // '
    EXPECT_EQ(KeysymFromVirtualKey(0xb0), 0x1008ff17u); // XF86AudioNext
    EXPECT_EQ(KeysymFromVirtualKey(0xb1), 0x1008ff16u); // XF86AudioPrev
    EXPECT_EQ(KeysymFromVirtualKey(0xb2), 0x1008ff15u); // XF86AudioStop
    EXPECT_EQ(KeysymFromVirtualKey(0xb3), 0x1008ff14u); // XF86AudioPlay
    EXPECT_EQ(KeysymFromVirtualKey(0xad), 0x1008ff12u); // XF86AudioMute
    EXPECT_EQ(KeysymFromVirtualKey(0xae), 0x1008ff11u); // XF86AudioLowerVolume
    EXPECT_EQ(KeysymFromVirtualKey(0xaf), 0x1008ff13u); // XF86AudioRaiseVolume
}

TEST(VirtualKeys, OtherKeysymsOfTheSameKeyLeadToIt) {
    EXPECT_EQ(VirtualKeyFromKeysym('P'), 'P');
    EXPECT_EQ(VirtualKeyFromKeysym('p'), 'P');
    EXPECT_EQ(VirtualKeyFromKeysym('?'), 0xbf);
    EXPECT_EQ(VirtualKeyFromKeysym(':'), 0xba);
    EXPECT_EQ(VirtualKeyFromKeysym('"'), 0xde);
    EXPECT_EQ(VirtualKeyFromKeysym('!'), '1');
    EXPECT_EQ(VirtualKeyFromKeysym(0xff8d), 0x0d);     // KP_Enter
    EXPECT_EQ(VirtualKeyFromKeysym(0xfe20), 0x09);     // ISO_Left_Tab
    EXPECT_EQ(VirtualKeyFromKeysym(0x1008ff31), 0xb3); // XF86AudioPause
    EXPECT_EQ(KeysymFromVirtualKey(0xe2), 0x3cu);      // the 102nd key: <
}

TEST(VirtualKeys, UnknownKeysGiveZero) {
    for (int vk : {0, 0x07, 0x0a, 0x10, 0x88, 0xdf, 0xff, 0x1234, -1})
        EXPECT_EQ(KeysymFromVirtualKey(vk), 0u) << std::hex << vk;
    // No keysym, Shift_L, Num_Lock, Scroll_Lock, F25, an unassigned one.
    for (std::uint32_t keysym : {0u, 0xffe1u, 0xff7fu, 0xff14u, 0xffd6u, 0xfffffeu})
        EXPECT_EQ(VirtualKeyFromKeysym(keysym), 0) << std::hex << keysym;
    for (int key : {0, int(Qt::Key_Shift), int(Qt::Key_Control), int(Qt::Key_unknown),
                    int(Qt::Key_F25), int(Qt::Key_CapsLock)})
        EXPECT_EQ(VirtualKeyFromQtKey(key, false), 0) << std::hex << key;
    EXPECT_EQ(QtKeyFromVirtualKey(0), 0);
    EXPECT_EQ(QtKeyFromVirtualKey(0x88), 0);
}

TEST(VirtualKeys, QtKeysLeadToTheVirtualKeyAndBack) {
    for (int vk : HotkeyCapableKeys()) {
        const int qtKey = QtKeyFromVirtualKey(vk);
        ASSERT_NE(qtKey, 0) << std::hex << vk;
        EXPECT_EQ(VirtualKeyFromQtKey(qtKey, IsKeypad(vk)), vk) << std::hex << vk;
    }
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_P, false), 'P');
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_F12, false), 0x7b);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_PageUp, false), 0x21);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_MediaNext, false), 0xb0);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_MediaPlay, false), 0xb3);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_VolumeUp, false), 0xaf);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Backtab, false), 0x09);
}

TEST(VirtualKeys, KeypadKeysAreTheirOwnOnlyWithTheKeypadFlag) {
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_5, true), 0x65);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_5, false), '5');
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, true), 0x6a);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Asterisk, false), '8'); // Shift+8 on a US layout
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Minus, true), 0x6d);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Minus, false), 0xbd);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Enter, true), 0x0d);
    // With Num Lock off the keypad sends navigation keys, which stand for those.
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Home, true), 0x24);
}

TEST(VirtualKeys, ShiftedSymbolsGiveTheKeyThatMakesThem) {
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Exclam, false), '1');
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_ParenRight, false), '0');
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_Question, false), 0xbf);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_BraceLeft, false), 0xdb);
    EXPECT_EQ(VirtualKeyFromQtKey(Qt::Key_QuoteDbl, false), 0xde);
}

TEST(VirtualKeys, Names) {
    EXPECT_EQ(VirtualKeyName(0), "");
    EXPECT_EQ(VirtualKeyName('P'), "P");
    EXPECT_EQ(VirtualKeyName('4'), "4");
    EXPECT_EQ(VirtualKeyName(0x7a), "F11");
    EXPECT_EQ(VirtualKeyName(0x87), "F24");
    EXPECT_EQ(VirtualKeyName(0x65), "Num 5");
    EXPECT_EQ(VirtualKeyName(0x6b), "Num +");
    EXPECT_EQ(VirtualKeyName(0x21), "PgUp");
    EXPECT_EQ(VirtualKeyName(0x2e), "Del");
    EXPECT_EQ(VirtualKeyName(0xb0), "Media Next");
    EXPECT_EQ(VirtualKeyName(0xbf), "/");
    EXPECT_EQ(VirtualKeyName(0x07), "0x07");
    for (int vk : HotkeyCapableKeys())
        EXPECT_EQ(VirtualKeyName(vk).rfind("0x", 0), std::string::npos) << std::hex << vk;
}

} // namespace
} // namespace zeb
