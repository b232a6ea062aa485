// What registers system-wide hotkeys, so that the rules for which hotkeys
// are registered can be exercised without a display.
#pragma once

namespace zeb {

struct HotkeyRegistrar {
    virtual ~HotkeyRegistrar() = default;
    // Registers the key (a virtual-key code) with the modifier bits 1 Alt,
    // 2 Control, 4 Shift under `id`, replacing what `id` had. False when
    // the system refuses it.
    virtual bool Register(int id, int modifiers, int virtualKey) = 0;
    // Unregisters `id`; nothing happens when it is not registered.
    virtual void Unregister(int id) = 0;
};

} // namespace zeb
