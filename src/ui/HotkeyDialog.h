// The hotkey dialog (dialog 106, 156 in Russian): one capture control per
// hotkey, edited on a copy and written back to the settings on OK.
#pragma once

#include "shell/MainWndSettings.h"

#include <QDialog>
#include <QLineEdit>
#include <functional>
#include <map>

namespace zeb {

// "Ctrl+Alt+Shift+P" for a stored pair; empty for key 0.
QString HotkeyText(HotkeyPair hotkey);

// A control that captures a key combination. Pressing a key with any of
// Ctrl, Alt and Shift takes the combination; a key without them becomes
// Ctrl+Alt with that key. Backspace without modifiers clears the hotkey
// (key 0). Without modifiers Tab, Esc and Enter keep their dialog meaning
// (next control, Cancel, OK); modifier keys alone and keys without a
// virtual-key code change nothing.
class HotkeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit HotkeyEdit(QWidget* parent = nullptr);

    HotkeyPair Hotkey() const { return hotkey_; }
    void SetHotkey(HotkeyPair hotkey);

signals:
    void HotkeyChanged();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    HotkeyPair hotkey_;
};

class HotkeyDialog : public QDialog {
    Q_OBJECT
public:
    // `beforeOpen` runs when the dialog is shown, `afterClose` when it is
    // closed by OK, Cancel or its close button (or destroyed while open),
    // after OK has written the settings. The tray program passes in "if
    // Scroll Lock is off, unregister all hotkeys" and "... register all
    // hotkeys", so that combinations typed into the dialog do not act.
    HotkeyDialog(MainWndSettings& settings, std::function<void()> beforeOpen,
                 std::function<void()> afterClose, QWidget* parent = nullptr);
    ~HotkeyDialog() override;

    HotkeyEdit* Edit(HotkeyFunction function) const;

    void setVisible(bool visible) override;
    void done(int result) override;

private:
    void CloseHooks();

    MainWndSettings& settings_;
    std::function<void()> beforeOpen_;
    std::function<void()> afterClose_;
    bool open_ = false; // beforeOpen ran, afterClose not yet
    std::map<HotkeyFunction, HotkeyEdit*> edits_;
};

// Shows the hotkey dialog modally; true when closed with OK.
bool RunHotkeyDialog(QWidget* parent, MainWndSettings& settings, std::function<void()> beforeOpen,
                     std::function<void()> afterClose);

} // namespace zeb
