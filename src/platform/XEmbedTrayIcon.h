#pragma once

#include "platform/TrayIcon.h"

#include <QAbstractNativeEventFilter>
#include <QWidget>
#include <cstdint>

struct xcb_connection_t;

namespace zeb {

// A tray icon of our own: a small window handed to the X notification-area
// host through the freedesktop system-tray (XEmbed) protocol. Unlike
// QSystemTrayIcon it sees every button press, release, move and wheel turn.
// Needs the xcb platform; Show() fails elsewhere or when no host owns the tray.
// When a host appears later (or returns after leaving), the icon docks then.
class XEmbedTrayIcon : public QWidget, public TrayIcon, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit XEmbedTrayIcon(QWidget* parent = nullptr);
    ~XEmbedTrayIcon() override;

    TrayCapabilities Capabilities() const override;
    void SetCallbacks(TrayCallbacks callbacks) override;
    using TrayIcon::SetIcon;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    bool Show() override;
    void Hide() override;
    bool IsDocked() const override { return docked_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool PrepareX11();
    void SetSizeHints(std::uint32_t window);
    void IgnorePropertyChanges(std::uint32_t window);
    std::uint32_t Atom(const char* name) const;
    std::uint32_t TrayOwner() const;
    bool RequestDock();
    void ListenForTrayManager();
    void OnReparented(std::uint32_t parent);
    void AskForOurSize();
    void OnResizedByHost(int width, int height);
    void ScheduleEmbeddingCheck();
    void VerifyEmbedding();
    bool ShownByHost() const;

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t selectionAtom_ = 0;
    std::uint32_t managerAtom_ = 0;
    bool wanted_ = false; // Show() was called and Hide() not since
    bool docked_ = false; // a tray host was asked to take the icon
    bool embedded_ = false;
    bool nudged_ = false; // the size was asked for again since the last dock
    int redocks_ = 0;     // dock requests repeated because the host did not show the icon
    QIcon icon_;
    TrayCallbacks callbacks_;
};

} // namespace zeb
