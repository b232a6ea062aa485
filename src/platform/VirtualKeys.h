// Hotkeys are stored as Windows virtual-key codes so that settings files
// keep their meaning; these tables translate them to and from X11 keysyms
// (for key grabs) and Qt key codes (for capturing keys in the dialog).
#pragma once

#include <cstdint>
#include <string>

namespace zeb {

// The X11 keysym of a virtual-key code; 0 when the key has none. Letters
// give the lower-case keysym, which is what the keyboard map lists first.
std::uint32_t KeysymFromVirtualKey(int virtualKey);

// The virtual-key code of a keysym; 0 when there is none. Upper- and
// lower-case letters and the shifted punctuation of a US layout ('?' for
// '/') give the key that produces them.
int VirtualKeyFromKeysym(std::uint32_t keysym);

// The virtual-key code of a Qt key code (a Qt::Key value); `keypad` is true
// when the key came with Qt::KeypadModifier, so that keypad digits and
// operators get their own codes. Shifted symbols of a US layout give the
// key that produces them (Qt::Key_Exclam gives '1'). 0 when there is none.
int VirtualKeyFromQtKey(int qtKey, bool keypad);

// The Qt key code of a virtual-key code; 0 when there is none. Keypad keys
// give the plain Qt key (the keypad modifier is not part of a key code).
int QtKeyFromVirtualKey(int virtualKey);

// A short English name of a virtual-key code: "P", "5", "F11", "Num 5",
// "PgUp", "Media Next"; a hexadecimal "0xNN" for codes without a name and
// an empty text for 0.
std::string VirtualKeyName(int virtualKey);

} // namespace zeb
