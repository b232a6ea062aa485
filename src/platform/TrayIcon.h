#pragma once

#include <QIcon>
#include <QString>
#include <QTextDocument>
#include <functional>

namespace zeb {

// Mouse buttons as the tray reports them (X numbering).
enum class TrayButton { Left = 1, Middle = 2, Right = 3 };

// The coarse activations a host that hides raw mouse events still gives.
enum class TrayActivation { Trigger, DoubleClick, Context, Middle };

// What a tray backend can deliver. Click series are built on raw presses and
// releases where available and degrade to counted activations otherwise.
struct TrayCapabilities {
    bool pressRelease = false;
    bool move = false;
    bool wheel = false;
};

// Callbacks of a tray icon. Coordinates are global screen pixels; the wheel
// delta is in eighths of a degree (120 per notch, positive away from the user).
struct TrayCallbacks {
    std::function<void(TrayButton, int x, int y)> buttonDown;
    std::function<void(TrayButton, int x, int y)> buttonUp;
    std::function<void(int x, int y)> move;
    std::function<void(int delta)> wheel;
    std::function<void(TrayActivation)> activated;
    std::function<void()> docked;
};

// Plain text as a tooltip shows it: tooltips take text that looks like
// markup ("<b>", "<i>") for rich text, so it is given as escaped rich text.
inline QString PlainTextToolTip(const QString& text) {
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

// One icon in the desktop's notification area.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;

    virtual TrayCapabilities Capabilities() const = 0;
    virtual void SetCallbacks(TrayCallbacks callbacks) = 0;
    virtual void SetIcon(const QIcon& icon) = 0;
    void SetIcon(const QString& imagePath) { SetIcon(QIcon(imagePath)); }
    // `text` is plain text, shown as it is even when it looks like markup.
    virtual void SetToolTip(const QString& text) = 0;
    // Puts the icon into the tray; false when no tray host takes it.
    virtual bool Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsDocked() const = 0;
};

} // namespace zeb
