// System-wide hotkeys on X11: each hotkey is a passive key grab on the root
// window, made for every combination of the lock modifiers (Caps Lock, Num
// Lock and the modifier Scroll Lock sets) so that a lit lock key does not
// disable it. Keys are given as virtual-key codes with the modifier bits
// 1 Alt, 2 Control, 4 Shift. Without an X11 display (another Qt platform)
// nothing can be registered.
#pragma once

#include "platform/HotkeyRegistrar.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

struct xcb_connection_t;

namespace zeb {

class GlobalHotkeys : public QObject, public QAbstractNativeEventFilter, public HotkeyRegistrar {
    Q_OBJECT
public:
    explicit GlobalHotkeys(QObject* parent = nullptr);
    ~GlobalHotkeys() override;
    GlobalHotkeys(const GlobalHotkeys&) = delete;
    GlobalHotkeys& operator=(const GlobalHotkeys&) = delete;

    // Grabs the combination under `id`, replacing what `id` had. False,
    // without any message, for key 0, a key the keyboard does not have, a
    // combination another client holds, or no X11 display.
    bool Register(int id, int modifiers, int virtualKey) override;
    void Unregister(int id) override;
    void UnregisterAll();
    bool IsRegistered(int id) const;

    // Whether the keyboard's Scroll Lock indicator is lit; false without an
    // X11 display.
    static bool ScrollLockOn();
    // Whether the keyboard's indicator of this name ("Num Lock", "Caps
    // Lock", ...) is lit; false when there is no such indicator or display.
    static bool IndicatorOn(std::string_view name);
    // Asks the X server to report changes of the keyboard's indicators
    // (Scroll Lock among them) as they happen; each emits IndicatorsChanged.
    // False without an X11 display that has the keyboard extension.
    bool WatchIndicators();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A grabbed combination was pressed (each auto-repeated press too).
    void Activated(int id);
    // An indicator of the keyboard went on or off (after WatchIndicators).
    void IndicatorsChanged();

private:
    struct Grab {
        std::vector<std::uint8_t> keycodes;
        std::uint16_t modifiers = 0; // X modifier mask without lock modifiers
    };
    void Ungrab(const Grab& grab);
    void ReadModifierMapping();

    xcb_connection_t* connection_ = nullptr;
    std::vector<std::uint32_t> roots_;
    std::map<int, Grab> grabs_;
    std::uint16_t altMask_ = 0;
    std::vector<std::uint16_t> lockMasks_;
    std::uint16_t allLocks_ = 0;
    std::uint8_t xkbFirstEvent_ = 0; // 0: indicators not watched
};

} // namespace zeb
