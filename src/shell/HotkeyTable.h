// The global hotkeys: their ids, the settings pair behind each and its
// control in the hotkey dialog, and the rules for registering them.
#pragma once

#include "platform/HotkeyRegistrar.h"
#include "shell/MainWndSettings.h"

#include <array>

namespace zeb {

struct HotkeyEntry {
    int id;                  // the id the hotkey is registered and reported under
    HotkeyFunction function; // its pair in MainWndSettings::Hotkeys
    int controlId;           // its control in the hotkey dialog
};

// Every hotkey, in the order they are registered and unregistered and the
// dialog lists them.
extern const std::array<HotkeyEntry, kHotkeyFunctionCount> kHotkeyTable;

// The entry of a hotkey id; nullptr for an unknown id.
const HotkeyEntry* FindHotkey(int id);

// The stored pair of a hotkey.
inline const HotkeyPair& HotkeyPairOf(const MainWndSettings& settings, HotkeyFunction f) {
    return settings.Hotkeys[size_t(f)];
}

// Registers every hotkey whose key is not 0 with its stored modifiers; one
// the system refuses is left out. The number registered.
int RegisterAllHotkeys(HotkeyRegistrar& registrar, const MainWndSettings& settings);

// Unregisters every hotkey id, registered or not.
void UnregisterAllHotkeys(HotkeyRegistrar& registrar);

// Registers one hotkey again with its stored pair (nothing for key 0). The
// repeating hotkeys do this after their action.
bool RegisterHotkey(HotkeyRegistrar& registrar, const MainWndSettings& settings, int id);

// Volume up and down and seek forward and back: they unregister themselves
// while acting so that key repeat does not pile up presses.
bool IsRepeatingHotkey(int id);

// The repeat hotkey's cycle: off -> whole list -> one track -> off.
void CycleRepeat(MainWndSettings& settings);

} // namespace zeb
