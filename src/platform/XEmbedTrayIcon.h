#pragma once

#include "platform/TrayIcon.h"
#include "platform/X11Window.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <cstdint>

struct xcb_connection_t;

namespace zeb {

// A tray icon of our own: a small window handed to the X notification-area
// host through the freedesktop system-tray (XEmbed) protocol. Unlike
// QSystemTrayIcon it sees every button press, release, move and wheel turn.
// Needs the xcb platform; Show() fails elsewhere or when no host owns the tray.
// When a host appears later (or returns after leaving), the icon docks then.
// The window is a plain X window that draws the icon itself; resting the
// pointer on it shows the tooltip.
class XEmbedTrayIcon : public QObject, public TrayIcon, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit XEmbedTrayIcon(QObject* parent = nullptr);
    ~XEmbedTrayIcon() override;

    TrayCapabilities Capabilities() const override;
    void SetCallbacks(TrayCallbacks callbacks) override;
    using TrayIcon::SetIcon;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    bool Show() override;
    void Hide() override;
    bool IsDocked() const override { return docked_; }

    // The X window; 0 while there is none (before Show, after Hide).
    std::uint32_t WindowId() const { return window_.Id(); }
    // The tooltip as the tooltip label takes it (escaped rich text).
    const QString& ToolTip() const { return toolTip_; }
    // The window's name, which carries the plain tip.
    const QString& Name() const { return name_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool PrepareX11();
    void SetSizeHints();
    std::uint32_t Atom(const char* name) const { return window_.Atom(name); }
    std::uint32_t TrayOwner() const;
    bool RequestDock();
    void ListenForTrayManager();
    void OnReparented(std::uint32_t parent);
    void AskForOurSize();
    void OnResizedByHost(int width, int height);
    void ScheduleEmbeddingCheck();
    void VerifyEmbedding();
    bool ShownByHost() const;
    bool HandleWindowEvent(const void* event, int type);
    void OnButton(int button, bool pressed, int rootX, int rootY);
    void Paint();
    QPoint Logical(int rootX, int rootY) const;
    void ShowToolTip();
    void HideToolTip();

    X11Window window_;
    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t selectionAtom_ = 0;
    std::uint32_t managerAtom_ = 0;
    bool wanted_ = false; // Show() was called and Hide() not since
    bool docked_ = false; // a tray host was asked to take the icon
    bool embedded_ = false;
    bool nudged_ = false; // the size was asked for again since the last dock
    int redocks_ = 0;     // dock requests repeated because the host did not show the icon
    int width_ = 0;
    int height_ = 0;
    QIcon icon_;
    QString toolTip_;
    QString name_;
    QTimer tipDelay_;
    QPoint pointer_; // where the pointer last was on the icon, in screen coordinates
    bool tipShown_ = false;
    TrayCallbacks callbacks_;
};

} // namespace zeb
