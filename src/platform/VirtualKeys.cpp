#include "platform/VirtualKeys.h"

#include <QtCore/qnamespace.h>
#include <array>
#include <cstdio>

namespace zeb {

namespace {

// Keysym values from the X11 keysym tables.
constexpr std::uint32_t XK_BackSpace = 0xff08;
constexpr std::uint32_t XK_Tab = 0xff09;
constexpr std::uint32_t XK_Return = 0xff0d;
constexpr std::uint32_t XK_Pause = 0xff13;
constexpr std::uint32_t XK_Escape = 0xff1b;
constexpr std::uint32_t XK_Home = 0xff50;
constexpr std::uint32_t XK_Left = 0xff51;
constexpr std::uint32_t XK_Up = 0xff52;
constexpr std::uint32_t XK_Right = 0xff53;
constexpr std::uint32_t XK_Down = 0xff54;
constexpr std::uint32_t XK_Prior = 0xff55;
constexpr std::uint32_t XK_Next = 0xff56;
constexpr std::uint32_t XK_End = 0xff57;
constexpr std::uint32_t XK_Print = 0xff61;
constexpr std::uint32_t XK_Insert = 0xff63;
constexpr std::uint32_t XK_Menu = 0xff67;
constexpr std::uint32_t XK_KP_Enter = 0xff8d;
constexpr std::uint32_t XK_KP_Multiply = 0xffaa;
constexpr std::uint32_t XK_KP_Add = 0xffab;
constexpr std::uint32_t XK_KP_Separator = 0xffac;
constexpr std::uint32_t XK_KP_Subtract = 0xffad;
constexpr std::uint32_t XK_KP_Decimal = 0xffae;
constexpr std::uint32_t XK_KP_Divide = 0xffaf;
constexpr std::uint32_t XK_KP_0 = 0xffb0;
constexpr std::uint32_t XK_F1 = 0xffbe;
constexpr std::uint32_t XK_Delete = 0xffff;
constexpr std::uint32_t XK_ISO_Left_Tab = 0xfe20;
constexpr std::uint32_t XF86XK_AudioLowerVolume = 0x1008ff11;
constexpr std::uint32_t XF86XK_AudioMute = 0x1008ff12;
constexpr std::uint32_t XF86XK_AudioRaiseVolume = 0x1008ff13;
constexpr std::uint32_t XF86XK_AudioPlay = 0x1008ff14;
constexpr std::uint32_t XF86XK_AudioStop = 0x1008ff15;
constexpr std::uint32_t XF86XK_AudioPrev = 0x1008ff16;
constexpr std::uint32_t XF86XK_AudioNext = 0x1008ff17;
constexpr std::uint32_t XF86XK_Mail = 0x1008ff19;
constexpr std::uint32_t XF86XK_AudioPause = 0x1008ff31;
constexpr std::uint32_t XF86XK_AudioMedia = 0x1008ff32;

// Virtual-key codes with a fixed meaning (letters and digits are their ASCII
// upper-case characters).
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0d;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1b;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2c;
constexpr int VK_INSERT = 0x2d;
constexpr int VK_DELETE = 0x2e;
constexpr int VK_APPS = 0x5d;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6a;
constexpr int VK_ADD = 0x6b;
constexpr int VK_SEPARATOR = 0x6c;
constexpr int VK_SUBTRACT = 0x6d;
constexpr int VK_DECIMAL = 0x6e;
constexpr int VK_DIVIDE = 0x6f;
constexpr int VK_F1 = 0x70;
constexpr int VK_F24 = 0x87;
constexpr int VK_VOLUME_MUTE = 0xad;
constexpr int VK_VOLUME_DOWN = 0xae;
constexpr int VK_VOLUME_UP = 0xaf;
constexpr int VK_MEDIA_NEXT_TRACK = 0xb0;
constexpr int VK_MEDIA_PREV_TRACK = 0xb1;
constexpr int VK_MEDIA_STOP = 0xb2;
constexpr int VK_MEDIA_PLAY_PAUSE = 0xb3;
constexpr int VK_LAUNCH_MAIL = 0xb4;
constexpr int VK_LAUNCH_MEDIA_SELECT = 0xb5;

// Keys that are neither letters, digits, function keys nor keypad keys.
// The first row of a virtual-key code is the one used for it; later rows
// with the same code only translate towards it.
struct KeyRow {
    int vk;
    std::uint32_t keysym; // 0: none
    int qtKey;            // 0: none
    const char* name;
};

constexpr KeyRow kKeys[] = {
    {VK_BACK, XK_BackSpace, Qt::Key_Backspace, "Backspace"},
    {VK_TAB, XK_Tab, Qt::Key_Tab, "Tab"},
    {VK_TAB, XK_ISO_Left_Tab, Qt::Key_Backtab, nullptr},
    {VK_RETURN, XK_Return, Qt::Key_Return, "Enter"},
    {VK_RETURN, XK_KP_Enter, Qt::Key_Enter, nullptr},
    {VK_PAUSE, XK_Pause, Qt::Key_Pause, "Pause"},
    {VK_ESCAPE, XK_Escape, Qt::Key_Escape, "Esc"},
    {VK_SPACE, 0x20, Qt::Key_Space, "Space"},
    {VK_PRIOR, XK_Prior, Qt::Key_PageUp, "PgUp"},
    {VK_NEXT, XK_Next, Qt::Key_PageDown, "PgDown"},
    {VK_END, XK_End, Qt::Key_End, "End"},
    {VK_HOME, XK_Home, Qt::Key_Home, "Home"},
    {VK_LEFT, XK_Left, Qt::Key_Left, "Left"},
    {VK_UP, XK_Up, Qt::Key_Up, "Up"},
    {VK_RIGHT, XK_Right, Qt::Key_Right, "Right"},
    {VK_DOWN, XK_Down, Qt::Key_Down, "Down"},
    {VK_SNAPSHOT, XK_Print, Qt::Key_Print, "PrtSc"},
    {VK_INSERT, XK_Insert, Qt::Key_Insert, "Ins"},
    {VK_DELETE, XK_Delete, Qt::Key_Delete, "Del"},
    {VK_APPS, XK_Menu, Qt::Key_Menu, "Menu"},
    // Punctuation keys of a US layout, unshifted first, then shifted.
    {0xba, ';', Qt::Key_Semicolon, ";"},
    {0xbb, '=', Qt::Key_Equal, "="},
    {0xbc, ',', Qt::Key_Comma, ","},
    {0xbd, '-', Qt::Key_Minus, "-"},
    {0xbe, '.', Qt::Key_Period, "."},
    {0xbf, '/', Qt::Key_Slash, "/"},
    {0xc0, '`', Qt::Key_QuoteLeft, "`"},
    {0xdb, '[', Qt::Key_BracketLeft, "["},
    {0xdc, '\\', Qt::Key_Backslash, "\\"},
    {0xdd, ']', Qt::Key_BracketRight, "]"},
    {0xde, '\'', Qt::Key_Apostrophe, "'"},
    {0xe2, '<', Qt::Key_Less, "<"}, // the extra key of 102-key keyboards
    {0xba, ':', Qt::Key_Colon, nullptr},
    {0xbb, '+', Qt::Key_Plus, nullptr},
    {0xbd, '_', Qt::Key_Underscore, nullptr},
    {0xbe, '>', Qt::Key_Greater, nullptr},
    {0xbf, '?', Qt::Key_Question, nullptr},
    {0xc0, '~', Qt::Key_AsciiTilde, nullptr},
    {0xdb, '{', Qt::Key_BraceLeft, nullptr},
    {0xdc, '|', Qt::Key_Bar, nullptr},
    {0xdd, '}', Qt::Key_BraceRight, nullptr},
    {0xde, '"', Qt::Key_QuoteDbl, nullptr},
    // Shifted digits of a US layout.
    {'1', '!', Qt::Key_Exclam, nullptr},
    {'2', '@', Qt::Key_At, nullptr},
    {'3', '#', Qt::Key_NumberSign, nullptr},
    {'4', '$', Qt::Key_Dollar, nullptr},
    {'5', '%', Qt::Key_Percent, nullptr},
    {'6', '^', Qt::Key_AsciiCircum, nullptr},
    {'7', '&', Qt::Key_Ampersand, nullptr},
    {'8', '*', Qt::Key_Asterisk, nullptr},
    {'9', '(', Qt::Key_ParenLeft, nullptr},
    {'0', ')', Qt::Key_ParenRight, nullptr},
    // Media and volume keys.
    {VK_VOLUME_MUTE, XF86XK_AudioMute, Qt::Key_VolumeMute, "Mute"},
    {VK_VOLUME_DOWN, XF86XK_AudioLowerVolume, Qt::Key_VolumeDown, "Volume Down"},
    {VK_VOLUME_UP, XF86XK_AudioRaiseVolume, Qt::Key_VolumeUp, "Volume Up"},
    {VK_MEDIA_NEXT_TRACK, XF86XK_AudioNext, Qt::Key_MediaNext, "Media Next"},
    {VK_MEDIA_PREV_TRACK, XF86XK_AudioPrev, Qt::Key_MediaPrevious, "Media Prev"},
    {VK_MEDIA_STOP, XF86XK_AudioStop, Qt::Key_MediaStop, "Media Stop"},
    {VK_MEDIA_PLAY_PAUSE, XF86XK_AudioPlay, Qt::Key_MediaTogglePlayPause, "Media Play/Pause"},
    {VK_MEDIA_PLAY_PAUSE, XF86XK_AudioPause, Qt::Key_MediaPlay, nullptr},
    {VK_MEDIA_PLAY_PAUSE, 0, Qt::Key_MediaPause, nullptr},
    {VK_LAUNCH_MAIL, XF86XK_Mail, Qt::Key_LaunchMail, "Mail"},
    {VK_LAUNCH_MEDIA_SELECT, XF86XK_AudioMedia, Qt::Key_LaunchMedia, "Media"},
};

// Keypad operators in virtual-key order from VK_MULTIPLY.
constexpr std::array<std::uint32_t, 6> kKeypadOperatorSyms = {
    XK_KP_Multiply, XK_KP_Add, XK_KP_Separator, XK_KP_Subtract, XK_KP_Decimal, XK_KP_Divide};
constexpr std::array<int, 6> kKeypadOperatorQtKeys = {
    Qt::Key_Asterisk, Qt::Key_Plus, Qt::Key_Comma, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Slash};
constexpr std::array<const char*, 6> kKeypadOperatorNames = {"*", "+", "Sep", "-", ".", "/"};

bool IsLetter(int vk) {
    return vk >= 'A' && vk <= 'Z';
}
bool IsDigit(int vk) {
    return vk >= '0' && vk <= '9';
}
bool IsFunctionKey(int vk) {
    return vk >= VK_F1 && vk <= VK_F24;
}
bool IsKeypadDigit(int vk) {
    return vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9;
}
bool IsKeypadOperator(int vk) {
    return vk >= VK_MULTIPLY && vk <= VK_DIVIDE;
}

} // namespace

std::uint32_t KeysymFromVirtualKey(int vk) {
    if (IsLetter(vk))
        return std::uint32_t(vk - 'A' + 'a');
    if (IsDigit(vk))
        return std::uint32_t(vk);
    if (IsFunctionKey(vk))
        return XK_F1 + std::uint32_t(vk - VK_F1);
    if (IsKeypadDigit(vk))
        return XK_KP_0 + std::uint32_t(vk - VK_NUMPAD0);
    if (IsKeypadOperator(vk))
        return kKeypadOperatorSyms[size_t(vk - VK_MULTIPLY)];
    for (const KeyRow& row : kKeys) {
        if (row.vk == vk && row.name)
            return row.keysym;
    }
    return 0;
}

int VirtualKeyFromKeysym(std::uint32_t keysym) {
    if (keysym == 0)
        return 0;
    if (keysym >= 'a' && keysym <= 'z')
        return int(keysym - 'a' + 'A');
    if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9'))
        return int(keysym);
    if (keysym >= XK_F1 && keysym <= XK_F1 + (VK_F24 - VK_F1))
        return VK_F1 + int(keysym - XK_F1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_0 + 9)
        return VK_NUMPAD0 + int(keysym - XK_KP_0);
    for (size_t i = 0; i < kKeypadOperatorSyms.size(); ++i) {
        if (kKeypadOperatorSyms[i] == keysym)
            return VK_MULTIPLY + int(i);
    }
    for (const KeyRow& row : kKeys) {
        if (row.keysym == keysym)
            return row.vk;
    }
    return 0;
}

int VirtualKeyFromQtKey(int qtKey, bool keypad) {
    if (qtKey == 0)
        return 0;
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        for (size_t i = 0; i < kKeypadOperatorQtKeys.size(); ++i) {
            if (kKeypadOperatorQtKeys[i] == qtKey)
                return VK_MULTIPLY + int(i);
        }
        // Other keypad keys (Enter, and the navigation keys with Num Lock
        // off) stand for the keys they name.
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    for (const KeyRow& row : kKeys) {
        if (row.qtKey == qtKey)
            return row.vk;
    }
    return 0;
}

int QtKeyFromVirtualKey(int vk) {
    if (IsLetter(vk) || IsDigit(vk))
        return vk;
    if (IsFunctionKey(vk))
        return Qt::Key_F1 + (vk - VK_F1);
    if (IsKeypadDigit(vk))
        return Qt::Key_0 + (vk - VK_NUMPAD0);
    if (IsKeypadOperator(vk))
        return kKeypadOperatorQtKeys[size_t(vk - VK_MULTIPLY)];
    for (const KeyRow& row : kKeys) {
        if (row.vk == vk && row.name)
            return row.qtKey;
    }
    return 0;
}

std::string VirtualKeyName(int vk) {
    if (vk == 0)
        return {};
    if (IsLetter(vk) || IsDigit(vk))
        return std::string(1, char(vk));
    if (IsFunctionKey(vk))
        return "F" + std::to_string(vk - VK_F1 + 1);
    if (IsKeypadDigit(vk))
        return "Num " + std::to_string(vk - VK_NUMPAD0);
    if (IsKeypadOperator(vk))
        return std::string("Num ") + kKeypadOperatorNames[size_t(vk - VK_MULTIPLY)];
    for (const KeyRow& row : kKeys) {
        if (row.vk == vk && row.name)
            return row.name;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%02X", unsigned(vk) & 0xffffu);
    return hex;
}

} // namespace zeb
